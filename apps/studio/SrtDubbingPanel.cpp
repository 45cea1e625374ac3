#include "apps/studio/SrtDubbingPanel.h"

#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioProject.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/ShortSpeechTask.h"
#include "dubbing/SrtDubbing.h"
#include "dubbing/TrackPatchTask.h"
#include "host/QOVPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

const QString kSpeak = QStringLiteral("朗读为配音音轨");
const QString kStop = QStringLiteral("停止朗读");
const QString kDone = QStringLiteral("音轨已放入素材箱");
const QString kRunOn = QStringLiteral("；第 %1 条字幕加速 1.5 倍仍超出时长");
const QString kStopped = QStringLiteral("已停止");
const QString kAgain = QStringLiteral("重新朗读此句");
const QString kSpeakingAgain = QStringLiteral("正在重新朗读第 %1 句");
const QString kSpokenAgain = QStringLiteral("第 %1 句已重新朗读，新音轨已放入素材箱");

} // namespace

SrtDubbingPanel::SrtDubbingPanel(StudioProject& project, SentenceEditor& sentences, QWidget* parent)
    : QWidget(parent), m_project(project), m_sentences(sentences), m_dubbing(new SrtDubbing(this)), m_button(new QPushButton(kSpeak)),
      m_again(new QPushButton(kAgain)), m_status(new QLabel)
{
    m_status->setWordWrap(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_button);
    layout->addWidget(m_again);
    layout->addWidget(m_status, 1);
    m_again->setEnabled(false);
    connect(m_button, &QPushButton::clicked, this, &SrtDubbingPanel::StartOrStop);
    connect(m_again, &QPushButton::clicked, this, &SrtDubbingPanel::SpeakAgain);
    connect(m_sentences.List(), &QTreeWidget::currentItemChanged, this, &SrtDubbingPanel::FollowChoice);
    connect(&m_patch, &ServiceTask::ended, this, [this](const TaskEnd& end) {
        m_scratch.reset();
        if (end.Succeeded()) {
            const QString track = end.value.toString();
            m_project.AddToBin({track, m_tool, m_patchOwner});
            m_tracks.insert(m_patchPath, track);
            m_status->setText(kSpokenAgain.arg(m_patchNumber));
        } else {
            m_status->setText(end.Stopped() ? kStopped : end.error.text);
        }
        FollowChoice();
    });
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
        const QString track = made.value(QLatin1String(SrtDubbing::kPath)).toString();
        m_tracks.insert(m_runPath, track);
        m_project.AddToBin({track, m_tool, m_runOwner});
        FollowChoice();
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
    if (!m_dubbing->Busy() && !m_patch.Busy())
        m_status->clear();
    FollowChoice();
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
    m_runPath = m_path;
    m_button->setText(kStop);
}

void SrtDubbingPanel::FollowChoice()
{
    m_again->setEnabled(!m_patch.Busy() && m_tracks.contains(m_path) && m_sentences.Sentences().Path() == m_path &&
                        m_sentences.List()->currentItem() != nullptr);
}

void SrtDubbingPanel::SpeakAgain()
{
    const int index = m_sentences.List()->indexOfTopLevelItem(m_sentences.List()->currentItem());
    const std::vector<Caption>& captions = m_sentences.Sentences().Captions();
    if (index < 0 || size_t(index) >= captions.size() || m_patch.Busy())
        return;
    const Caption& caption = captions[size_t(index)];
    // The slot is the track's: up to the next sentence's start, as the track was laid out.
    qint64 slotEnd = caption.end;
    bool later = false;
    for (const Caption& other : captions) {
        if (other.start > caption.start && (!later || other.start < slotEnd)) {
            slotEnd = other.start;
            later = true;
        }
    }
    m_scratch = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("qov-again-XXXXXX")));
    ShortSpeechTask::Request speech;
    speech.text = caption.text.simplified();
    speech.aue = CTxt2AudioShortNetOper::kAueMp3;
    speech.wantedPath = m_scratch->filePath(QStringLiteral("sentence.mp3"));
    speech.logged = false;
    TrackPatchTask::Request patch;
    patch.track = m_tracks.value(m_path);
    patch.start = caption.start;
    patch.slotEnd = slotEnd;
    patch.wantedPath = DubbingFileName::Wanted(QFileInfo(patch.track).absolutePath() + QLatin1Char('/'), QStringLiteral("mp3"));
    patch.scratchFolder = m_scratch->path();
    const ServiceTask::Body speak = ShortSpeechTask::Make(speech);
    // Both on the task's worker: the speech, then the track made with it.
    const auto body = [speak, patch](const ServiceTask::Worker& worker) {
        const TaskEnd spoken = speak(worker);
        if (!spoken.Succeeded())
            return spoken;
        TrackPatchTask::Request withSpeech = patch;
        withSpeech.speech = spoken.value.toString();
        return TrackPatchTask::Make(withSpeech)(worker);
    };
    if (!m_patch.Start(body))
        return;
    m_patchPath = m_path;
    m_patchOwner = m_owner;
    m_patchNumber = caption.index > 0 ? caption.index : index + 1;
    m_status->setText(kSpeakingAgain.arg(m_patchNumber));
    FollowChoice();
}
