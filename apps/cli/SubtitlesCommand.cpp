#include "apps/cli/SubtitlesCommand.h"

#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CaptionOptions.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledProgress.h"
#include "apps/cli/TaskWait.h"
#include "service/ServiceTask.h"
#include "subtitles/AudioTranscodeText.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SubtitleChain.h"
#include "subtitles/SubtitlesSource.h"
#include "subtitles/TranscodeResult.h"

#include <QFileInfo>


namespace {

struct Request
{
    QString source;
    int engine = 0;
    int model = 80001;
    float start = 0.0f;
    float end = 1.0f;
    bool video = false;
    const CaptionOptions* captions = nullptr; // when a layout option was given
    std::chrono::seconds timeout{0};
};

// Seconds as the window gives them: 0 or more, fractions allowed.
float Seconds(const CommandRun& run, const QString& name, float fallback, std::optional<QString>& problem)
{
    const std::optional<QString> text = run.Arguments().Option(name);
    if (!text)
        return fallback;
    bool ok = false;
    const float value = text->toFloat(&ok);
    if ((!ok || value < 0.0f) && !problem)
        problem = QStringLiteral("--%1 takes seconds (0 or more), not %2").arg(name, *text);
    return ok ? value : fallback;
}

// The task's own words for its failure; the cloud engine adds what the service or the store said.
QString FailureText(WaveTransSrt& task, const QString& state)
{
    QString text = state;
    if (task.GetEngine() != 0) {
        const QString detail = QString::fromStdString(task.CloudClient().GetErrorText());
        if (!detail.isEmpty() && !text.contains(detail))
            text += QStringLiteral(" (%1)").arg(detail);
    }
    return text;
}

class SubtitleRun : public BatchJob
{
public:
    SubtitleRun(CommandRun& run, const Request& request)
        : m_run(run)
        , m_request(request)
    {
    }

    std::optional<int> Start(ServiceTask& chain) override;
    QString Read(int code, const QString& text) override;
    // Only the extraction takes a place; recognition waits on the service.
    // A source holds a place through its start, whatever it is: extraction, upload and the
    // service's task. The first poll's report means the service has the task; waiting for its
    // result takes no place.
    bool HoldsPlace() const override { return true; }
    bool HoldsPlaceAfter(int code) const override
    {
        return code != WaveTransSrt::NotifyProgress && code != WaveTransSrt::NotifyFinished;
    }
    int Finish(TaskWait::Ending ending, const TaskEnd& end) override;

private:
    void Show(const QString& text);
    int WriteCaptions(const QString& srt, const std::vector<SrtLineInfo>& heard);

    CommandRun& m_run;
    const Request m_request;
    CWaveToTextMgr m_manager;
    WaveTransSrt* m_task = nullptr;
    QString m_shown;
};

std::optional<int> SubtitleRun::Start(ServiceTask& chain)
{
    m_run.Set(QStringLiteral("source"), m_request.source);
    m_run.Set(QStringLiteral("engine"), m_request.engine == 0 ? QStringLiteral("file") : QStringLiteral("cloud"));
    if (m_request.engine != 0)
        m_run.Set(QStringLiteral("model"), m_request.model);
    m_run.Set(QStringLiteral("video"), m_request.video);
    m_run.Set(QStringLiteral("start"), double(m_request.start));
    m_run.Set(QStringLiteral("end"), double(m_request.end));
    // As the window, which offers no start for a file that is not there.
    if (QFileInfo(m_request.source).isDir())
        return m_run.Fail(QStringLiteral("cannot open %1: it is a folder").arg(m_request.source));
    if (!QFileInfo(m_request.source).isFile())
        return m_run.Fail(QStringLiteral("cannot open %1: No such file").arg(m_request.source));
    if (m_request.engine == 0 && m_manager.IsUserInfoEmpty())
        return m_run.Fail(QStringLiteral("语音转写用户信息为空: set the transcription account with "
                                         "qovaigc account --id ID --key KEY"));
    m_task = m_manager.AddWave(m_request.engine, m_request.source, m_request.video ? 0 : 1, m_request.start,
                               m_request.end, QUuid(), m_request.model);
    if (!m_task)
        return m_run.Fail(QStringLiteral("no subtitle task could be made for %1").arg(m_request.source));
    m_run.Set(QStringLiteral("audio"), m_task->GetAudioPath());
    if (!m_request.video)
        Show(QStringLiteral("生成任务中"));

    // The whole chain runs on a worker: the progress line counts, and Ctrl-C or the time-out
    // ends the extraction, the start's requests and the engine at once.
    WaveTransSrt* task = m_task;
    chain.Start([task](const ServiceTask::Worker& worker) { return SubtitleChain::Run(*task, worker); });
    return std::nullopt;
}

QString SubtitleRun::Read(int, const QString& text)
{
    Show(text);
    return QString();
}

int SubtitleRun::Finish(TaskWait::Ending ending, const TaskEnd& end)
{
    const QString state = m_task->GetState();
    const QString taskId = m_task->GetTaskID();
    if (!taskId.isEmpty())
        m_run.Set(QStringLiteral("task_id"), taskId);
    const QString srt = m_task->GetSrtPath();
    const QString audio = m_task->GetAudioPath();
    const QString failure = end.Failed() ? FailureText(*m_task, end.error.text) : QString();
    // The cloud engine's sentences may carry their words' times, which the SRT file cannot hold.
    const std::vector<SrtLineInfo> heard =
        m_task->GetEngine() != 0 ? m_task->CloudClient().GetLines() : std::vector<SrtLineInfo>();
    m_manager.Clear();
    m_task = nullptr;

    switch (ending) {
    case TaskWait::Ending::Interrupted:
        return m_run.Interrupted();
    case TaskWait::Ending::TimedOut:
        return PolledProgress::TimedOut(m_run, QStringLiteral("subtitle"), m_request.timeout,
                                   QStringLiteral(" (last state: %1)").arg(state));
    case TaskWait::Ending::Ended:
        break;
    }
    if (end.Failed() && end.error.In(kExtractionCodes))
        return m_run.Fail(QStringLiteral("视频提取音频失败！ %1")
                              .arg(TranscodeResultText(end.error.code, m_request.source, audio,
                                                       int(m_request.start), int(m_request.end))));
    if (!end.Succeeded())
        return m_run.Fail(failure);
    if (!QFileInfo(srt).isFile())
        return m_run.Fail(QStringLiteral("the service finished the task but its sentences could not be fetched; "
                                         "%1 was not written")
                              .arg(srt));
    m_run.Set(QStringLiteral("path"), srt);
    m_run.Line(srt);
    if (m_request.captions)
        return WriteCaptions(srt, heard);
    return m_run.Succeed();
}

int SubtitleRun::WriteCaptions(const QString& srt, const std::vector<SrtLineInfo>& heard)
{
    // Silence gives an empty file, which is no failure of the layout: there is nothing to lay out.
    if (QFileInfo(srt).size() == 0) {
        m_run.Warn(QStringLiteral("nothing was recognised, so no captions were written"));
        return m_run.Succeed();
    }
    QString path;
    QString error;
    int cues = 0;
    int captions = 0;
    if (!m_request.captions->Write(srt, QString(), path, cues, captions, error, heard))
        return m_run.Fail(error);
    m_run.Set(QStringLiteral("captions"), path);
    m_run.Line(path);
    return m_run.Succeed();
}

void SubtitleRun::Show(const QString& text)
{
    // Each poll says "generating" again: a line only when the state changes. In a batch the
    // line counts the sources, and the states of many would only interleave.
    if (text.isEmpty() || text == m_shown || !m_run.Subject().isEmpty())
        return;
    m_shown = text;
    if (m_run.Progress().Enabled())
        m_run.Progress().SetState(text);
    else
        PrintError(text);
}

int Run(CommandRun& run)
{
    const QStringList sources = run.Positional();
    if (sources.isEmpty())
        return run.Usage(QStringLiteral("subtitles takes one SOURCE or more"));
    OptionReader options(run.Arguments());
    Request request;
    request.engine = options.Choice(QStringLiteral("engine"), {QStringLiteral("file"), QStringLiteral("cloud")}) ==
                             QLatin1String("file")
                         ? 0
                         : 1;
    request.model = options
                        .Choice(QStringLiteral("model"),
                                {QStringLiteral("80001"), QStringLiteral("80006"), QStringLiteral("1737")})
                        .toInt();
    request.timeout = options.Timeout();
    const int places = BatchRun::Places(options, BatchRun::CorePlaces());
    const CaptionOptions captions(run.Arguments(), options);
    std::optional<QString> problem = captions.Problem();
    if (!problem)
        problem = options.Problem();
    request.start = Seconds(run, QStringLiteral("start"), 0.0f, problem);
    request.end = Seconds(run, QStringLiteral("end"), 1.0f, problem);
    if (problem)
        return run.Usage(*problem);
    // The range names the subtitle files; a name for an empty or reversed range would mislead.
    if (request.end <= request.start)
        return run.Usage(EmptyRangeText(request.start, request.end));
    if (captions.Given())
        request.captions = &captions;

    const auto job = [&request](CommandRun& item, const QString& source) {
        Request own = request;
        own.source = source;
        own.video = SubtitlesSource::IsVideo(source);
        return std::make_unique<SubtitleRun>(item, own);
    };
    if (sources.size() == 1) {
        const std::unique_ptr<SubtitleRun> alone = job(run, sources.front());
        return BatchRun::One(run, *alone, request.timeout);
    }
    BatchRun batch(run, places, request.timeout);
    return batch.Execute(sources, [&](CommandRun& item, int index) -> std::unique_ptr<BatchJob> {
        return job(item, sources[index]);
    });
}

} // namespace

const CliCommand& SubtitlesCommand()
{
    static const CliCommand command{
        "subtitles",
        "SOURCE... [--jobs N] [--engine file|cloud] [--model 80001|80006|1737] [--start S] [--end E] [--timeout S] [--max-chars N] "
        "[--max-lines N] [--max-seconds S] [--format srt|vtt|ass]",
        "subtitles of an audio file or a video (its audio extracted first) by the file-transcription\n"
        "engine (file, the default; it needs the account of `qovaigc account`) or the cloud engine\n"
        "with its model; S to E name the output files (0 to 1 s, as the subtitles window does); each\n"
        "step's state on standard error; prints the SRT file's path; given any of the layout options\n"
        "of `qovaigc captions`, also the captions laid out beside it, their path last; several\n"
        "sources run together (--jobs of them starting at once: extraction, upload and the service's\n"
        "task; by default one a core; waiting for the result takes no place), each source's\n"
        "paths printed as it finishes",
        QStringList{QStringLiteral("engine"), QStringLiteral("model"), QStringLiteral("start"), QStringLiteral("end"),
                    QStringLiteral("timeout")} +
            CaptionOptions::Names() + BatchRun::Names(),
        &Run};
    return command;
}
