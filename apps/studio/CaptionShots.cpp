#include "apps/studio/CaptionShots.h"

#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioWindow.h"

#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

constexpr int kSettleMs = 50;
const QString kEdited = QStringLiteral("（已校对）");

} // namespace

CaptionShots::CaptionShots(StudioWindow& window, Grab grab, std::function<void()> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_done(std::move(done))
{
}

void CaptionShots::Start()
{
    const MediaFile* media = nullptr;
    for (const MediaFile& file : m_window.Project().Media()) {
        if (!file.subtitles.isEmpty() && MediaPreview::Plays(file.path))
            media = &file;
    }
    if (!media) {
        std::fprintf(stderr, "qov-studio: no media file with subtitles to preview\n");
        m_done();
        return;
    }
    m_window.View().SelectMedia({media->id});
    const std::vector<Caption>& captions = m_window.View().Sentences().Sentences().Captions();
    const qint64 at = captions.empty() ? 0 : (captions.front().start + captions.front().end) / 2;
    ReadFrame(this, media->path, at, [this, at](const QByteArray& png) { ShowFrame(png, at); });
}

void CaptionShots::ReadFrame(QObject* owner, const QString& video, qint64 at, std::function<void(const QByteArray&)> done)
{
    auto* ffmpeg = new QProcess(owner);
    QObject::connect(ffmpeg, &QProcess::finished, owner, [ffmpeg, done] {
        done(ffmpeg->readAllStandardOutput());
        ffmpeg->deleteLater();
    });
    QObject::connect(ffmpeg, &QProcess::errorOccurred, owner, [ffmpeg, done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            done(QByteArray());
            ffmpeg->deleteLater();
        }
    });
    ffmpeg->start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-ss"),
                   QString::number(at / 1000.0, 'f', 3), QStringLiteral("-i"), video, QStringLiteral("-frames:v"),
                   QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("-c:v"),
                   QStringLiteral("png"), QStringLiteral("-")});
}

void CaptionShots::ShowFrame(const QByteArray& png, qint64 at)
{
    MediaPreview& preview = m_window.Preview();
    const QImage frame = QImage::fromData(png, "PNG");
    if (frame.isNull())
        std::fprintf(stderr, "qov-studio: the ffmpeg program gave no frame of %s\n", qPrintable(preview.Path()));
    preview.ShowStill(frame);
    preview.Seek(at);
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("preview-captions.png"));
        Edit();
    });
}

void CaptionShots::Edit()
{
    SentenceEditor& editor = m_window.View().Sentences();
    // Short lines, so that the layout visibly cuts the recognised sentences.
    editor.MaxChars()->setValue(6);
    editor.MaxLines()->setValue(1);
    editor.LayoutButton()->click();
    if (QTreeWidgetItem* first = editor.List()->topLevelItem(0)) {
        first->setText(SentenceEditor::TextColumn, first->text(SentenceEditor::TextColumn) + kEdited);
        editor.List()->setCurrentItem(first);
    }
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("captions-edited.png"));
        m_done();
    });
}
