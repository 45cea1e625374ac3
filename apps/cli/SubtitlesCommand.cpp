#include "apps/cli/SubtitlesCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledTask.h"
#include "apps/cli/TaskWaiter.h"
#include "service/MessageNumbers.h"
#include "service/TaskRun.h"
#include "subtitles/AudioTranscodeText.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SubtitleNotice.h"
#include "subtitles/SubtitlesSource.h"

#include <QFileInfo>


namespace {

// The message the manager posts to the command, as to the subtitles window.
constexpr uint32_t kTaskMessage = MessageNumbers::kTaskProgress;

struct Request
{
    QString source;
    int engine = 0;
    int model = 80001;
    float start = 0.0f;
    float end = 1.0f;
    bool video = false;
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
QString FailureText(WaveTransSrt& task)
{
    QString text = task.GetState();
    if (task.GetEngine() != 0) {
        const QString detail = QString::fromStdString(task.CloudClient().GetErrorText());
        if (!detail.isEmpty())
            text += QStringLiteral(" (%1)").arg(detail);
    }
    return text;
}

class SubtitleRun
{
public:
    SubtitleRun(CommandRun& run, const Request& request)
        : m_run(run)
        , m_request(request)
    {
    }

    int Execute(std::chrono::seconds timeout);

private:
    TaskWaiter::Step Read(int code);
    void Show(const QString& text);
    int Finish(TaskWaiter& waiter, TaskWaiter::Ending ending, std::chrono::seconds timeout);

    CommandRun& m_run;
    const Request m_request;
    CWaveToTextMgr m_manager;
    WaveTransSrt* m_task = nullptr;
    QString m_shown;
};

int SubtitleRun::Execute(std::chrono::seconds timeout)
{
    if (m_request.engine == 0 && m_manager.IsUserInfoEmpty())
        return m_run.Fail(QStringLiteral("语音转写用户信息为空: set the transcription account with "
                                         "qovaigc account --id ID --key KEY"));
    TaskWaiter waiter(int(kTaskMessage), [this](int code) { return Read(code); }, m_run.Progress());
    m_manager.SetRecvWndMsg(&waiter, kTaskMessage);
    m_task = m_manager.AddWave(m_request.engine, m_request.source, m_request.video ? 0 : 1, m_request.start,
                               m_request.end, QUuid(), m_request.model);
    if (!m_task)
        return m_run.Fail(QStringLiteral("no subtitle task could be made for %1").arg(m_request.source));
    m_run.Set(QStringLiteral("audio"), m_task->GetAudioPath());

    TaskRun start;
    if (m_request.video) {
        // The task reports the extraction's end, a failed one included.
        m_manager.StartTranslate(m_task);
    } else {
        // The start uploads the file: off this thread, so that the progress line counts and Ctrl-C
        // is heard. The manager starts it as it does after an extraction and posts its failure.
        Show(QStringLiteral("生成任务中"));
        start.Start([this](TaskControl&) { m_manager.GetWavTransResulut(m_task, WaveTransSrt::NotifyAudioExtracted); });
    }
    const TaskWaiter::Ending ending = waiter.Wait(timeout);
    // Interrupted or out of time: the start's requests end now rather than after their replies.
    if (ending != TaskWaiter::Ending::Finished)
        m_task->CancelStart();
    start.StopAndWait();
    return Finish(waiter, ending, timeout);
}

int SubtitleRun::Finish(TaskWaiter& waiter, TaskWaiter::Ending ending, std::chrono::seconds timeout)
{
    const QString state = m_task->GetState();
    const int code = waiter.FinalCode();
    const QString taskId = m_task->GetTaskID();
    if (!taskId.isEmpty())
        m_run.Set(QStringLiteral("task_id"), taskId);
    const int extraction = m_task->GetTransAudioResult();
    const QString srt = m_task->GetSrtPath();
    const QString audio = m_task->GetAudioPath();
    const bool finished = m_task->GetStateCode() == WaveTransSrt::StateFinished;
    // Stops the extraction and the engine, and waits for them: nothing is written after this.
    m_manager.Clear();
    m_task = nullptr;

    if (const std::optional<int> status = PolledTask::Ended(m_run, ending, QStringLiteral("subtitle"), timeout,
                                                            QStringLiteral(" (last state: %1)").arg(state)))
        return *status;
    if (code == WaveTransSrt::NotifyExtractionFailed)
        return m_run.Fail(QStringLiteral("视频提取音频失败！ %1")
                              .arg(TranscodeResultText(extraction, m_request.source, audio,
                                                       int(m_request.start), int(m_request.end))));
    if (code != WaveTransSrt::NotifyFinished || !finished)
        return m_run.Fail(state);
    if (!QFileInfo(srt).isFile())
        return m_run.Fail(QStringLiteral("the service finished the task but its sentences could not be fetched; "
                                         "%1 was not written")
                              .arg(srt));
    m_run.Set(QStringLiteral("path"), srt);
    m_run.Line(srt);
    return m_run.Succeed();
}

TaskWaiter::Step SubtitleRun::Read(int code)
{
    QString text = SubtitleNoticeText(code, *m_task);
    bool ends = false;
    switch (code) {
    case WaveTransSrt::NotifyFinished:
    case WaveTransSrt::NotifyExtractionFailed:
        ends = true;
        break;
    case WaveTransSrt::NotifyFailed:
        // A cloud poll that fails is followed by the next one; a failed start or task ends it.
        ends = m_task->GetEngine() == 0 || m_task->GetLastCode() != CAudio2TxtNetOper::PollFailed;
        text = FailureText(*m_task);
        break;
    default:
        break;
    }
    Show(text);
    return {QString(), ends};
}

void SubtitleRun::Show(const QString& text)
{
    // Each poll says "generating" again: a line only when the state changes.
    if (text.isEmpty() || text == m_shown)
        return;
    m_shown = text;
    if (m_run.Progress().Enabled())
        m_run.Progress().SetState(text);
    else
        PrintError(text);
}

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("subtitles takes one SOURCE, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    Request request;
    request.source = run.Positional().front();
    request.engine = options.Choice(QStringLiteral("engine"), {QStringLiteral("file"), QStringLiteral("cloud")}) ==
                             QLatin1String("file")
                         ? 0
                         : 1;
    request.model = options
                        .Choice(QStringLiteral("model"),
                                {QStringLiteral("80001"), QStringLiteral("80006"), QStringLiteral("1737")})
                        .toInt();
    const auto timeout = options.Timeout();
    std::optional<QString> problem = options.Problem();
    request.start = Seconds(run, QStringLiteral("start"), 0.0f, problem);
    request.end = Seconds(run, QStringLiteral("end"), 1.0f, problem);
    if (problem)
        return run.Usage(*problem);

    request.video = SubtitlesSource::IsVideo(request.source);
    run.Set(QStringLiteral("source"), request.source);
    run.Set(QStringLiteral("engine"), request.engine == 0 ? QStringLiteral("file") : QStringLiteral("cloud"));
    if (request.engine != 0)
        run.Set(QStringLiteral("model"), request.model);
    run.Set(QStringLiteral("video"), request.video);
    run.Set(QStringLiteral("start"), double(request.start));
    run.Set(QStringLiteral("end"), double(request.end));
    // As the window, which offers no start for a file that is not there.
    if (!QFileInfo(request.source).isFile())
        return run.Fail(QStringLiteral("cannot open %1: No such file").arg(request.source));
    SubtitleRun subtitles(run, request);
    return subtitles.Execute(timeout);
}

} // namespace

const CliCommand& SubtitlesCommand()
{
    static const CliCommand command{
        "subtitles", "SOURCE [--engine file|cloud] [--model 80001|80006|1737] [--start S] [--end E] [--timeout S]",
        "subtitles of an audio file or a video (its audio extracted first) by the file-transcription\n"
        "engine (file, the default; it needs the account of `qovaigc account`) or the cloud engine\n"
        "with its model; S to E name the output files (0 to 1 s, as the subtitles window does); each\n"
        "step's state on standard error; prints the SRT file's path",
        {QStringLiteral("engine"), QStringLiteral("model"), QStringLiteral("start"), QStringLiteral("end"),
         QStringLiteral("timeout")},
        &Run};
    return command;
}
