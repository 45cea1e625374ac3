#include "apps/studio/SampleProject.h"

#include "apps/studio/StudioProject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

const QString SampleProject::kChineseText = QStringLiteral("欢迎使用智能工具：选中这段文字，试试配音或文案。");
const QString SampleProject::kEnglishText =
    QStringLiteral("Welcome to the AI tools. Select this text and try dubbing or copywriting.");
const QString SampleProject::kRecording =
    QStringLiteral("/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0920.wav");

namespace {

const QString kFolder = QStringLiteral("/sample");
const QString kVideoName = QStringLiteral("/english-speech.mp4");
const QString kNoRecording = QStringLiteral("示例视频无法生成：找不到英文录音 %1");
const QString kNoConverter = QStringLiteral("示例视频无法生成：ffmpeg 程序不可用");
const QString kConversionFailed = QStringLiteral("示例视频无法生成：%1");

} // namespace

SampleProject::SampleProject(StudioProject& project, QObject* parent)
    : QObject(parent)
    , m_project(project)
{
}

QString SampleProject::VideoPath(const QString& workFolder)
{
    return workFolder + kFolder + kVideoName;
}

void SampleProject::Open(const QString& workFolder)
{
    m_project.AddText(kChineseText);
    m_project.AddText(kEnglishText);
    const QString video = VideoPath(workFolder);
    if (QFileInfo(video).isFile() && QFileInfo(video).size() > 0) {
        m_project.AddMedia(video);
        emit Finished(true, QString());
        return;
    }
    MakeVideo(video);
}

void SampleProject::MakeVideo(const QString& path)
{
    if (!QFileInfo(kRecording).isFile()) {
        emit Finished(false, kNoRecording.arg(kRecording));
        return;
    }
    if (m_maker)
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Made beside and renamed when whole: a video cut short by a crash is never taken for the sample.
    const QString partial = path + QStringLiteral(".part.mp4");
    m_maker = new QProcess(this);
    connect(m_maker, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_maker->deleteLater();
        m_maker = nullptr;
        emit Finished(false, kNoConverter);
    });
    connect(m_maker, &QProcess::finished, this, [this, path, partial](int code, QProcess::ExitStatus status) {
        const QString detail = QString::fromLocal8Bit(m_maker->readAllStandardError()).trimmed();
        m_maker->deleteLater();
        m_maker = nullptr;
        if (status != QProcess::NormalExit || code != 0 || !QFile::rename(partial, path)) {
            QFile::remove(partial);
            emit Finished(false, kConversionFailed.arg(detail.isEmpty() ? path : detail));
            return;
        }
        m_project.AddMedia(path);
        emit Finished(true, QString());
    });
    m_maker->start(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                    QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc2=s=640x360:r=25"), QStringLiteral("-i"), kRecording,
                    QStringLiteral("-shortest"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                    QStringLiteral("-c:a"), QStringLiteral("aac"), partial});
}
