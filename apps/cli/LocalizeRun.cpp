#include "apps/cli/LocalizeRun.h"

#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/LocalizeTrack.h"
#include "apps/cli/TaskWait.h"
#include "mediakit/CaptionText.h"
#include "mediakit/CaptionWriter.h"
#include "mediakit/LanguageCode.h"
#include "mediakit/SrtReader.h"
#include "mediakit/VideoMuxTask.h"
#include "service/ResultFile.h"
#include "subtitles/AudioTranscodeText.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SubtitleChain.h"
#include "subtitles/TranscodeResult.h"
#include "translation/CaptionTranslation.h"
#include "translation/TranslatedCaptions.h"
#include "translation/TranslationGlossary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>


namespace {

const QString kRecognise = QStringLiteral("recognise");
const QString kLayOut = QStringLiteral("lay out");
const QString kTranslate = QStringLiteral("translate");
const QString kSpeak = QStringLiteral("speak");
const QString kMux = QStringLiteral("mix and mux");
const QString kMisses = QStringLiteral("glossary-misses.json");
const QString kReport = QStringLiteral("report.json");
const QString kTranslationCache = QStringLiteral("translation-cache");

} // namespace

QString LocalizeRun::Counted(int count, const QString& noun)
{
    return QStringLiteral("done in %1 %2%3").arg(count).arg(noun, count == 1 ? QString() : QStringLiteral("s"));
}

bool LocalizeRun::ReadCaptions(const QString& path, std::vector<Caption>& captions, QString& error)
{
    return SrtReader::Read(path, captions, error, QStringLiteral("UTF-8"));
}

QString LocalizeRun::Spoken(const Caption& caption)
{
    const CaptionText pieces(caption.text);
    return pieces.Line(0, pieces.Count()).simplified();
}


LocalizeRun::LocalizeRun(CommandRun& run, const Options& options)
    : m_run(run)
    , m_options(options)
    , m_project(options.video, options.to)
{
}

bool LocalizeRun::Reuse(int step, const QString& name, const QString& inputs, QString& result) const
{
    result = m_project.Reusable(name, inputs);
    if (result.isEmpty()) {
        Starting(step, name);
        return false;
    }
    Ended(step, name, QString::fromLatin1(kKept));
    return true;
}

void LocalizeRun::Starting(int step, const QString& name)
{
    PrintError(QStringLiteral("step %1/%2 %3: started").arg(step).arg(kSteps).arg(name));
}

void LocalizeRun::Ended(int step, const QString& name, const QString& how)
{
    PrintError(QStringLiteral("step %1/%2 %3: %4").arg(step).arg(kSteps).arg(name, how));
}

std::optional<int> LocalizeRun::Failed(const QString& step, const QString& text)
{
    return m_run.Fail(QStringLiteral("%1: %2").arg(step, text));
}

std::optional<int> LocalizeRun::Record(const QString& step, const QString& inputs, const QString& result)
{
    QString error;
    if (!m_project.Record(step, inputs, result, error))
        return Failed(step, error);
    return std::nullopt;
}

int LocalizeRun::Execute()
{
    QString error;
    if (!m_project.Open(m_options.fresh, error))
        return m_run.Fail(error);
    // Starting over means asking the services again, not only forgetting which step was done.
    if (m_options.fresh) {
        QDir(m_project.Path(LocalizeTrack::kSpeechFolder)).removeRecursively();
        QDir(m_project.Path(kTranslationCache)).removeRecursively();
    }
    m_run.Set(QStringLiteral("project"), m_project.Folder());
    QString recognised;
    QString captions;
    QString translated;
    QString track;
    QString video;
    bool translatedNow = false;
    if (auto failed = Recognise(recognised))
        return *failed;
    if (auto failed = LayOut(recognised, captions))
        return *failed;
    if (auto failed = Translate(captions, translated, translatedNow))
        return *failed;
    // Only a translation this run made is worded again: one the user edited is theirs.
    if (auto failed = Speak(captions, translated, translatedNow, track))
        return *failed;
    if (auto failed = Mux(captions, translated, track, video))
        return *failed;
    WriteReport(translated);
    m_run.Set(QStringLiteral("captions"), captions);
    m_run.Set(QStringLiteral("translation"), translated);
    m_run.Set(QStringLiteral("track"), track);
    m_run.Set(QStringLiteral("speech_requests"), m_speechRequests);
    m_run.Set(QStringLiteral("path"), video);
    m_run.Line(video);
    return m_run.Succeed();
}

std::optional<int> LocalizeRun::Recognise(QString& recognised)
{
    const QString inputs = LocalizeProject::InputsHash(
        {LocalizeProject::FileHash(m_options.video), QString::number(m_options.engine), QString::number(m_options.model)});
    if (Reuse(1, kRecognise, inputs, recognised))
        return std::nullopt;
    CWaveToTextMgr manager;
    WaveTransSrt* task = manager.AddWave(m_options.engine, m_options.video, 0, 0, 1, QUuid(), m_options.model);
    if (!task)
        return Failed(kRecognise, QStringLiteral("no subtitle task could be made for %1").arg(m_options.video));
    ServiceTask chain;
    chain.Start([task](const ServiceTask::Worker& worker) { return SubtitleChain::Run(*task, worker); });
    TaskEnd end;
    const TaskWait::Ending ending = TaskWait::Run(chain, m_options.timeout, m_run.Progress(), nullptr, end);
    const QString srt = task->GetSrtPath();
    const QString audio = task->GetAudioPath();
    manager.Clear();
    if (ending == TaskWait::Ending::Interrupted)
        return m_run.Interrupted();
    if (ending == TaskWait::Ending::TimedOut)
        return Failed(kRecognise, QStringLiteral("no subtitles came within %1 s").arg(m_options.timeout.count()));
    // The extraction's code says what was wrong with the video in words of its own.
    if (end.Failed() && end.error.In(kExtractionCodes))
        return Failed(kRecognise, QStringLiteral("the video's sound could not be extracted: %1")
                                      .arg(TranscodeResultText(end.error.code, m_options.video, audio, 0, 1)));
    if (!end.Succeeded())
        return Failed(kRecognise, end.error.text);
    QFile heard(srt);
    if (!heard.open(QIODevice::ReadOnly) || heard.size() == 0)
        return Failed(kRecognise, QStringLiteral("nothing was recognised in %1").arg(m_options.video));
    recognised = m_project.Path(QStringLiteral("recognised.srt"));
    QString error;
    if (!ResultFile::Write(recognised, heard.readAll(), true, &error))
        return Failed(kRecognise, error);
    Ended(1, kRecognise, QStringLiteral("done"));
    return Record(kRecognise, inputs, recognised);
}

std::optional<int> LocalizeRun::LayOut(const QString& recognised, QString& captions)
{
    const CaptionLayout::Limits& limits = m_options.limits;
    const QString inputs = LocalizeProject::InputsHash({LocalizeProject::FileHash(recognised), QString::number(limits.maxChars),
                                                        QString::number(limits.maxLines), QString::number(limits.maxSeconds)});
    if (Reuse(2, kLayOut, inputs, captions))
        return std::nullopt;
    std::vector<Caption> read;
    QString error;
    if (!SrtReader::Read(recognised, read, error))
        return Failed(kLayOut, error);
    captions = m_project.Path(QStringLiteral("captions.%1.srt").arg(m_options.from));
    if (!CaptionWriter::Write(captions, CaptionLayout(limits).Apply(read), CaptionWriter::Format::Srt, true, error))
        return Failed(kLayOut, QStringLiteral("cannot write %1: %2").arg(captions, error));
    Ended(2, kLayOut, QStringLiteral("done"));
    return Record(kLayOut, inputs, captions);
}

std::optional<int> LocalizeRun::Translate(const QString& captions, QString& translated, bool& made)
{
    const QString inputs = LocalizeProject::InputsHash(
        {LocalizeProject::FileHash(captions), m_options.from, m_options.to, LocalizeProject::FileHash(m_options.glossary),
         QString::number(m_options.limits.maxChars), QString::number(m_options.limits.maxLines)});
    made = !Reuse(3, kTranslate, inputs, translated);
    if (!made) {
        QFile misses(m_project.Path(kMisses));
        if (misses.open(QIODevice::ReadOnly)) {
            const QJsonObject kept = QJsonDocument::fromJson(misses.readAll()).object();
            for (auto it = kept.begin(); it != kept.end(); ++it)
                m_misses[it.key()] = it.value().toVariant().toStringList();
        }
        return std::nullopt;
    }
    std::vector<Caption> source;
    QString error;
    CaptionTranslation::Settings settings;
    if (!ReadCaptions(captions, source, error) ||
        (!m_options.glossary.isEmpty() && !TranslationGlossary::Read(m_options.glossary, settings.glossary, error)))
        return Failed(kTranslate, error);
    settings.lineChars = m_options.limits.maxChars;
    settings.lines = m_options.limits.maxLines;
    CaptionTranslation translation;
    if (auto failed = RunTranslation(kTranslate, source, settings, translation))
        return failed;
    QJsonObject misses;
    for (const CaptionTranslation::Translated& caption : translation.Results()) {
        if (!caption.glossaryMisses.isEmpty()) {
            m_misses[caption.id] = caption.glossaryMisses;
            misses.insert(caption.id, QJsonArray::fromStringList(caption.glossaryMisses));
        }
    }
    QString missesPath = m_project.Path(kMisses);
    translated = m_project.Path(QStringLiteral("captions.%1.srt").arg(m_options.to));
    const std::vector<Caption> laidOut = TranslatedCaptions::LaidOut(translation.Results(), m_options.limits, false);
    if (!ResultFile::Write(missesPath, QJsonDocument(misses).toJson(), true, &error) ||
        !CaptionWriter::Write(translated, laidOut, CaptionWriter::Format::Srt, true, error))
        return Failed(kTranslate, error);
    Ended(3, kTranslate, Counted(translation.Requests(), QStringLiteral("request")));
    return Record(kTranslate, inputs, translated);
}

std::optional<int> LocalizeRun::RunTranslation(const QString& step, const std::vector<Caption>& captions,
                                               CaptionTranslation::Settings settings, CaptionTranslation& translation)
{
    settings.from = m_options.from;
    settings.to = m_options.to;
    settings.jobs = m_options.jobs;
    settings.batchLimit = m_options.timeout;
    // Batches that came back are kept with the project, so a rerun asks only for the rest.
    settings.cacheFolder = m_project.Path(kTranslationCache);
    QString error;
    if (!translation.Prepare(captions, settings, error))
        return Failed(step, error);
    translation.Start();
    TaskEnd end;
    const TaskWait::Ending ending = TaskWait::Run(translation, TaskWait::kNoLimit, m_run.Progress(), nullptr, end);
    if (ending == TaskWait::Ending::Interrupted)
        return m_run.Interrupted();
    if (!end.Succeeded())
        return Failed(step, end.error.text);
    return std::nullopt;
}

std::optional<int> LocalizeRun::Speak(const QString& captions, const QString& translated, bool shorten, QString& track)
{
    LocalizeTrack voicing(m_run, m_options, m_project,
                          [this](const std::vector<Caption>& lines, const CaptionTranslation::Settings& settings,
                                 CaptionTranslation& translation) {
                              return RunTranslation(kSpeak, lines, settings, translation);
                          });
    const std::optional<int> failed = voicing.Make(captions, translated, shorten, track);
    m_fits = voicing.Fits();
    m_speechRequests = voicing.Requests();
    return failed;
}

std::optional<int> LocalizeRun::Mux(const QString& captions, const QString& translated, const QString& track,
                                    QString& video)
{
    const QString inputs = LocalizeProject::InputsHash(
        {LocalizeProject::FileHash(m_options.video), LocalizeProject::FileHash(track),
         LocalizeProject::FileHash(translated), LocalizeProject::FileHash(captions), m_options.output});
    if (Reuse(5, kMux, inputs, video))
        return std::nullopt;
    VideoMux::Request request;
    request.video = m_options.video;
    request.track = track;
    request.mix = AudioMixdown::Mode::Duck;
    // The target language is the default stream, the source's beside it.
    request.subtitles = {{translated, LanguageCode::Iso6392(m_options.to)},
                         {captions, LanguageCode::Iso6392(m_options.from)}};
    const QFileInfo info(m_options.video);
    const QString wanted = m_options.output.isEmpty()
                               ? info.absoluteDir().filePath(info.completeBaseName() + QLatin1Char('.') +
                                                             m_options.to + QStringLiteral(".mp4"))
                               : m_options.output;
    // An earlier result, the user's or another run's, is never written over.
    request.output = wanted;
    request.freeName = true;
    ServiceTask mux;
    mux.Start(VideoMuxTask::Make(request));
    TaskEnd end;
    const TaskWait::Reading reading = [](int code, const QString&) {
        return QStringLiteral("mixing and muxing %1%").arg(code * 100 / VideoMuxTask::kWhole);
    };
    const TaskWait::Ending ending = TaskWait::Run(mux, TaskWait::kNoLimit, m_run.Progress(), reading, end);
    if (ending == TaskWait::Ending::Interrupted)
        return m_run.Interrupted();
    if (!end.Succeeded())
        return Failed(kMux, end.error.text);
    const QVariantMap made = end.value.toMap();
    video = made.value(QLatin1String(VideoMuxTask::kPath)).toString();
    for (const QString& warning : made.value(QLatin1String(VideoMuxTask::kWarnings)).toStringList())
        m_run.Warn(warning);
    Ended(5, kMux, QStringLiteral("done"));
    return Record(kMux, inputs, video);
}

void LocalizeRun::WriteReport(const QString& translated)
{
    std::vector<Caption> spoken;
    QString error;
    if (!ReadCaptions(translated, spoken, error))
        return;
    LocalizeReport report(spoken, m_options.to);
    for (size_t i = 0; i < m_fits.size(); ++i)
        report.SetFit(i, m_fits[i]);
    report.SetGlossaryMisses(m_misses);
    QString path = m_project.Path(kReport);
    if (!ResultFile::Write(path, QJsonDocument(report.Json()).toJson(), true, &error))
        m_run.Warn(error);
    m_run.Set(QStringLiteral("report"), path);
    for (const QString& line : report.Table())
        PrintError(line);
}
