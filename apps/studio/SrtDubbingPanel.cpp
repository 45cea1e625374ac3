#include "apps/studio/SrtDubbingPanel.h"

#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioProject.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/SrtDubbing.h"
#include "host/QOVPaths.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kSpeak = QStringLiteral("朗读为配音音轨");
const QString kStop = QStringLiteral("停止朗读");
const QString kDone = QStringLiteral("音轨已放入素材箱");
const QString kRunOn = QStringLiteral("；第 %1 条字幕加速 1.5 倍仍超出时长");
const QString kStopped = QStringLiteral("已停止");

} // namespace

SrtDubbingPanel::SrtDubbingPanel(StudioProject& project, SentenceEditor& sentences, QWidget* parent)
    : QWidget(parent), m_project(project), m_sentences(sentences), m_dubbing(new SrtDubbing(this)), m_button(new QPushButton(kSpeak)),
      m_status(new QLabel)
{
    m_status->setWordWrap(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_button);
    layout->addWidget(m_status, 1);
    connect(m_button, &QPushButton::clicked, this, &SrtDubbingPanel::StartOrStop);
    connect(m_dubbing, &SrtDubbing::progress, m_status, [this](int, const QString& text) { m_status->setText(text); });
    connect(m_dubbing, &SrtDubbing::ended, this, [this](const TaskEnd& end) {
        m_button->setText(kSpeak);
        if (end.Stopped()) {
            m_status->setText(kStopped);
            return;
        }
        if (!end.Succeeded()) {
            m_status->setText(end.error.text);
            return;
        }
        const QVariantMap made = end.value.toMap();
        m_project.AddToBin({made.value(QLatin1String(SrtDubbing::kPath)).toString(), m_tool, m_runOwner});
        QStringList runOn;
        for (const QVariant& number : made.value(QLatin1String(SrtDubbing::kRunOn)).toList())
            runOn << number.toString();
        m_status->setText(runOn.isEmpty() ? kDone : kDone + kRunOn.arg(runOn.join(QStringLiteral("、"))));
    });
}

SrtDubbingPanel::~SrtDubbingPanel()
{
    // The tasks stop with their owner; nothing they finish afterwards reaches the project.
    m_dubbing->disconnect(this);
}

void SrtDubbingPanel::SetSubtitles(const QString& path, const QUuid& owner)
{
    m_path = path;
    m_owner = owner;
    if (!m_dubbing->Busy())
        m_status->clear();
}

void SrtDubbingPanel::StartOrStop()
{
    if (m_dubbing->Busy()) {
        m_dubbing->Stop();
        return;
    }
    // The run reads the file: it must hold what the user sees, the track names it as its source.
    if (m_sentences.Sentences().Path() == m_path && !m_sentences.ConfirmSaved())
        return;
    std::vector<SrtDubbing::Caption> captions;
    QString error;
    if (!SrtDubbing::Read(m_path, captions, error)) {
        m_status->setText(error);
        return;
    }
    const QString folder = ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/AIAudio/");
    ZuCreateDirectory(folder, 0);
    SrtDubbing::Settings settings;
    settings.voice.aue = CTxt2AudioShortNetOper::kAueMp3;
    settings.wantedPath = DubbingFileName::Wanted(folder, QStringLiteral("mp3"));
    settings.source = m_path;
    if (!m_dubbing->Start(std::move(captions), settings, error)) {
        m_status->setText(error);
        return;
    }
    m_runOwner = m_owner;
    m_button->setText(kStop);
}
