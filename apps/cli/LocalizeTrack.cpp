#include "apps/cli/LocalizeTrack.h"

#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/LocalizeSpeech.h"
#include "apps/cli/TaskWait.h"
#include "dubbing/SpeechTrackTask.h"
#include "service/ResultFile.h"
#include "subtitles/AudioTranscode.h"
#include "translation/TranslatedCaptions.h"
#include "translation/TranslationGlossary.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

const QString kSpeakStep = QStringLiteral("speak");
const QString kFitFile = QStringLiteral("fit.json");
// A shorter wording is asked for with a limit this much under what the speech would fit, since
// a model's count of characters is rough.
constexpr double kShorterMargin = 0.9;

// The track's cues are the captions with something to say: the caption of each cue, by position.
std::vector<size_t> CueCaptions(const std::vector<Caption>& spoken)
{
    std::vector<size_t> captions;
    for (size_t i = 0; i < spoken.size(); ++i) {
        if (!LocalizeRun::Spoken(spoken[i]).isEmpty())
            captions.push_back(i);
    }
    return captions;
}

} // namespace

LocalizeTrack::LocalizeTrack(CommandRun& run, const LocalizeRun::Options& options, LocalizeProject& project,
                             Translator translate)
    : m_run(run)
    , m_options(options)
    , m_project(project)
    , m_translate(std::move(translate))
{
}

std::optional<int> LocalizeTrack::Failed(const QString& text)
{
    return m_run.Fail(QStringLiteral("%1: %2").arg(kSpeakStep, text));
}

std::optional<int> LocalizeTrack::Make(const QString& captions, const QString& translated, bool shorten, QString& track)
{
    const ShortSpeechTask::Request& voice = m_options.voice;
    const auto inputs = [&] {
        return LocalizeProject::InputsHash({LocalizeProject::FileHash(translated), QString::number(voice.voice),
                                            QString::number(voice.speed), QString::number(voice.pitch), QString::number(voice.volume)});
    };
    std::vector<Caption> spoken;
    QString error;
    if (!LocalizeRun::ReadCaptions(translated, spoken, error))
        return Failed(error);
    const QString fitPath = m_project.Path(kFitFile);
    QVariantMap made;
    track = m_project.Reusable(kSpeakStep, inputs());
    QFile kept(fitPath);
    if (!track.isEmpty() && kept.open(QIODevice::ReadOnly)) {
        made = QJsonDocument::fromJson(kept.readAll()).object().toVariantMap();
        LocalizeRun::Ended(4, kSpeakStep, QString::fromLatin1(LocalizeRun::kKept));
    } else {
        LocalizeRun::Starting(4, kSpeakStep);
        if (auto failed = SpeakOnce(spoken, track, made))
            return failed;
        if (shorten) {
            if (auto failed = Shorten(captions, translated, spoken, track, made))
                return failed;
        }
        QString path = fitPath;
        if (!ResultFile::Write(path, QJsonDocument(QJsonObject::fromVariantMap(made)).toJson(), true, &error))
            return Failed(error);
        LocalizeRun::Ended(4, kSpeakStep, LocalizeRun::Counted(m_speechRequests, QStringLiteral("speech request")));
        if (!m_project.Record(kSpeakStep, inputs(), track, error))
            return Failed(error);
    }
    const QVariantList tempos = made.value(QLatin1String(SpeechTrackTask::kTempos)).toList();
    const QVariantList borrowed = made.value(QLatin1String(SpeechTrackTask::kBorrowed)).toList();
    const QVariantList runOn = made.value(QLatin1String(SpeechTrackTask::kRunOn)).toList();
    // The plan numbers the cues spoken, which are the captions with words.
    const std::vector<size_t> cueCaption = CueCaptions(spoken);
    m_fits.assign(spoken.size(), {});
    for (qsizetype cue = 0; cue < tempos.size() && size_t(cue) < cueCaption.size(); ++cue)
        m_fits[cueCaption[size_t(cue)]] = {tempos[cue].toDouble(), borrowed.value(cue).toLongLong(), false};
    QStringList running;
    for (const QVariant& item : runOn) {
        if (size_t(item.toInt()) >= cueCaption.size())
            continue;
        const size_t caption = cueCaption[size_t(item.toInt())];
        m_fits[caption].runsOn = true;
        running << QString::number(spoken[caption].index);
    }
    if (!running.isEmpty())
        m_run.Warn(QStringLiteral("captions %1 run on past their slot even at %2x speed")
                       .arg(running.join(QStringLiteral(", ")))
                       .arg(kMaxTempo));
    return std::nullopt;
}

std::optional<int> LocalizeTrack::SpeakOnce(const std::vector<Caption>& captions, QString& track, QVariantMap& made)
{
    std::vector<QString> texts;
    for (const Caption& caption : captions)
        texts.push_back(LocalizeRun::Spoken(caption));
    LocalizeSpeech speech;
    speech.Prepare(m_project.Path(kSpeechFolder), texts, m_options.voice, m_options.jobs);
    QDir().mkpath(m_project.Path(kSpeechFolder));
    speech.Start();
    TaskEnd end;
    TaskWait::Ending ending = TaskWait::Run(speech, TaskWait::kNoLimit, m_run.Progress(), nullptr, end);
    m_speechRequests += speech.Requests();
    if (ending == TaskWait::Ending::Interrupted)
        return m_run.Interrupted();
    if (!end.Succeeded())
        return Failed(end.error.text);

    SpeechTrackTask::Request request;
    for (size_t i = 0; i < captions.size(); ++i) {
        if (!texts[i].isEmpty())
            request.cues.push_back({captions[i].start, captions[i].end, speech.Paths()[i]});
    }
    // The track is the project's own: made afresh over the last one.
    const QString wanted = m_project.Path(QStringLiteral("track.%1.wav").arg(m_options.to));
    QFile::remove(wanted);
    request.wantedPath = wanted;
    request.mp3 = false;
    request.scratchFolder = m_project.Folder();
    request.maxTempo = kMaxTempo;
    request.gap = kGapMs;
    request.trackEnd = qint64(GetAudioDuration(QFile::encodeName(m_options.video).constData()) * 1000);
    request.smooth = true;
    ServiceTask mixing;
    mixing.Start(SpeechTrackTask::Make(request));
    ending = TaskWait::Run(mixing, TaskWait::kNoLimit, m_run.Progress(), nullptr, end);
    if (ending == TaskWait::Ending::Interrupted)
        return m_run.Interrupted();
    if (!end.Succeeded())
        return Failed(end.error.text);
    made = end.value.toMap();
    track = made.value(QLatin1String(SpeechTrackTask::kPath)).toString();
    return std::nullopt;
}

std::optional<int> LocalizeTrack::Shorten(const QString& captions, const QString& translated,
                                        std::vector<Caption>& spoken, QString& track, QVariantMap& made)
{
    const QVariantList runOn = made.value(QLatin1String(SpeechTrackTask::kRunOn)).toList();
    const QVariantList needed = made.value(QLatin1String(SpeechTrackTask::kNeeded)).toList();
    if (runOn.isEmpty())
        return std::nullopt;
    const std::vector<size_t> cueCaption = CueCaptions(spoken);
    std::vector<Caption> source;
    QString error;
    if (!LocalizeRun::ReadCaptions(captions, source, error))
        return Failed(error);
    // The translation keeps each caption's number: the source of a run-on line is found by it.
    std::vector<Caption> again;
    CaptionTranslation::Settings settings;
    for (const QVariant& item : runOn) {
        const Caption& line = spoken[cueCaption.at(size_t(item.toInt()))];
        for (const Caption& original : source) {
            if (original.index != line.index)
                continue;
            again.push_back(original);
            const double over = needed.value(item.toInt()).toDouble() / kMaxTempo;
            settings.maxCharsById[QString::number(line.index)] =
                std::max(1, int(std::floor(LocalizeRun::Spoken(line).size() / over * kShorterMargin)));
        }
    }
    if (again.empty() || (!m_options.glossary.isEmpty() && !TranslationGlossary::Read(m_options.glossary, settings.glossary, error)))
        return error.isEmpty() ? std::nullopt : Failed(error);
    PrintError(QStringLiteral("step 4/%1 %2: %3 captions too long to speak in their time, asked for shorter wordings")
                   .arg(LocalizeRun::kSteps)
                   .arg(kSpeakStep)
                   .arg(again.size()));
    CaptionTranslation translation;
    if (auto failed = m_translate(again, settings, translation))
        return failed;
    bool changed = false;
    const std::vector<Caption> shorter = TranslatedCaptions::LaidOut(translation.Results(), m_options.limits, false);
    for (const Caption& line : shorter) {
        for (Caption& caption : spoken) {
            if (caption.index == line.index && LocalizeRun::Spoken(caption) != LocalizeRun::Spoken(line) &&
                LocalizeRun::Spoken(line).size() < LocalizeRun::Spoken(caption).size()) {
                caption.text = line.text;
                changed = true;
            }
        }
    }
    if (!changed)
        return std::nullopt;
    QString path = translated;
    if (!CaptionWriter::Write(path, spoken, CaptionWriter::Format::Srt, true, error))
        return Failed(error);
    return SpeakOnce(spoken, track, made);
}

