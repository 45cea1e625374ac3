#include "dubbing/SrtDubbing.h"

#include "dubbing/LongSpeechTask.h"
#include "dubbing/SpeechTrackTask.h"
#include "mediakit/SrtReader.h"
#include "service/TimeLimit.h"
#include "service/TransLog.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>

SrtDubbing::SrtDubbing(QObject* parent) : QObject(parent)
{
    connect(&m_track, &ServiceTask::ended, this, &SrtDubbing::OnTrackMade);
}

SrtDubbing::~SrtDubbing() = default;

bool SrtDubbing::Read(const QString& path, std::vector<Caption>& captions, QString& error, const QString& encoding)
{
    std::vector<::Caption> read;
    if (!SrtReader::Read(path, read, error, encoding))
        return false;
    captions.clear();
    for (size_t i = 0; i < read.size(); ++i) {
        const QString text = read[i].text.simplified();
        if (!text.isEmpty())
            captions.push_back({read[i].index > 0 ? read[i].index : int(i) + 1, read[i].start, read[i].end, text});
    }
    std::stable_sort(captions.begin(), captions.end(),
                     [](const Caption& a, const Caption& b) { return a.start < b.start; });
    if (captions.empty())
        error = QStringLiteral("%1 has no caption with text to speak").arg(path);
    return !captions.empty();
}

std::vector<SrtDubbing::Silence> SrtDubbing::LongSilences(const std::vector<Caption>& captions)
{
    std::vector<Silence> silences;
    qint64 heard = 0; // where the speech before a caption ends, as far as the captions tell
    for (size_t i = 0; i < captions.size(); ++i) {
        if (captions[i].start - heard > kLongSilence)
            silences.push_back({captions[i].number, captions[i].start - heard, i == 0});
        heard = std::max(heard, captions[i].end);
    }
    return silences;
}

bool SrtDubbing::Start(std::vector<Caption> captions, const Settings& settings, QString& error)
{
    if (m_busy || captions.empty())
        return false;
    // Each caption's speech waits here for the track, and goes with the folder however the run ends.
    auto scratch = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("qov-dubbing-XXXXXX")));
    if (!scratch->isValid()) {
        error = QStringLiteral("could not make a scratch folder: %1").arg(scratch->errorString());
        return false;
    }
    m_scratch = std::move(scratch);
    m_captions = std::move(captions);
    m_settings = settings;
    m_failedCaption = 0;
    m_stopping = false;
    m_speaking.assign(m_captions.size(), false);
    m_speech.assign(m_captions.size(), QString());
    const QString extension = settings.mp3 ? QStringLiteral("mp3") : QStringLiteral("wav");
    m_group = std::make_unique<TaskGroup>();
    const auto limit = settings.captionLimit;
    const QString tooLong = QStringLiteral("no speech came within %1 s");
    for (size_t i = 0; i < m_captions.size(); ++i) {
        ShortSpeechTask::Request request = settings.voice;
        request.text = m_captions[i].text;
        request.wantedPath = m_scratch->filePath(QStringLiteral("caption-%1.%2").arg(i).arg(extension));
        // A caption's speech is gone once it is in the track: the history shows the track alone.
        request.logged = false;
        m_group->Add([request, limit, tooLong]() -> std::unique_ptr<Task> {
            auto speech = std::make_unique<ServiceTask>(ShortSpeechTask::Takes(request.text)
                                                            ? ShortSpeechTask::Make(request)
                                                            : LongSpeechTask::Make(request));
            if (limit.count() <= 0)
                return speech;
            return std::make_unique<TimeLimit>(std::move(speech), limit, tooLong);
        });
    }
    connect(m_group.get(), &TaskGroup::itemStarted, this, [this](int item) {
        m_speaking[size_t(item)] = true;
        ReportSpeaking();
    });
    connect(m_group.get(), &TaskGroup::itemEnded, this, [this](int item, const TaskEnd& end) {
        m_speaking[size_t(item)] = false;
        if (end.Succeeded())
            m_speech[size_t(item)] = end.value.toString();
        ReportSpeaking();
    });
    connect(m_group.get(), &TaskGroup::ended, this, &SrtDubbing::OnCaptionsSpoken);
    m_busy = m_group->Start(settings.jobs);
    return m_busy;
}

void SrtDubbing::Stop()
{
    if (!m_busy)
        return;
    m_stopping = true;
    if (m_group && m_group->Busy())
        m_group->Stop();
    m_track.Stop();
}

void SrtDubbing::ReportSpeaking()
{
    QStringList numbers;
    for (size_t i = 0; i < m_speaking.size(); ++i) {
        if (m_speaking[i])
            numbers << QString::number(m_captions[i].number);
    }
    QString state = QStringLiteral("%1 of %2 captions spoken").arg(m_group->Finished()).arg(Count());
    if (!numbers.isEmpty())
        state += QStringLiteral(", speaking %1").arg(numbers.join(QStringLiteral(", ")));
    m_state = state;
    emit progress(0, state);
}

void SrtDubbing::OnCaptionsSpoken(const TaskEnd& end)
{
    if (!end.Succeeded()) {
        TaskEnd failed = end;
        if (const int item = m_group->FailedItem(); item >= 0 && end.Failed()) {
            m_failedCaption = m_captions[size_t(item)].number;
            failed.error.text = QStringLiteral("caption %1: %2").arg(m_failedCaption).arg(end.error.text);
        }
        Finish(failed);
        return;
    }
    if (m_stopping) {
        Finish(TaskEnd::Stop());
        return;
    }
    SpeechTrackTask::Request track;
    for (size_t i = 0; i < m_captions.size(); ++i)
        track.cues.push_back({m_captions[i].start, m_captions[i].end, m_speech[i]});
    track.wantedPath = m_settings.wantedPath;
    track.mp3 = m_settings.mp3;
    track.scratchFolder = m_scratch->path();
    m_state = QStringLiteral("laying the speech of %1 captions into the track").arg(Count());
    emit progress(0, m_state);
    // A track that does not start sends no end of its own: the run would wait for it forever.
    if (!m_track.Start(SpeechTrackTask::Make(track)))
        Finish(TaskEnd::Failure(TaskError::Kind::Local, -1, QStringLiteral("the track could not be started")));
}

void SrtDubbing::OnTrackMade(const TaskEnd& end)
{
    if (!end.Succeeded()) {
        Finish(end);
        return;
    }
    const QVariantMap made = end.value.toMap();
    const QString path = made.value(QLatin1String(SpeechTrackTask::kPath)).toString();
    // Made a moment before the stop reached it: a stopped run leaves no track.
    if (m_stopping) {
        QFile::remove(path);
        Finish(TaskEnd::Stop());
        return;
    }
    GetDubbingLog().AddFinishedTask(m_settings.source, path);
    QVariantList runOn;
    for (const QVariant& item : made.value(QLatin1String(SpeechTrackTask::kRunOn)).toList())
        runOn.append(m_captions[size_t(item.toInt())].number);
    Finish(TaskEnd::Success(QVariantMap{{QLatin1String(kPath), path}, {QLatin1String(kRunOn), runOn}}));
}

void SrtDubbing::Finish(const TaskEnd& end)
{
    m_scratch.reset();
    m_busy = false;
    emit ended(end);
}
