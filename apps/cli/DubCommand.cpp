#include "apps/cli/DubCommand.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/DubSrtRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledRun.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWait.h"
#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/LongSpeechTask.h"
#include "dubbing/ShortSpeechTask.h"
#include "service/PollCodes.h"

namespace {

struct Voice
{
    int voice = 0;
    int speed = 5;
    int pitch = 5;
    int volume = 5;
    QString format;
};

// One text's speech: under ShortSpeechTask::kLongTextCharacters one request, else a polled task. Either runs as a
// task: the progress line keeps counting, and Ctrl-C or the time-out cancels the request or the
// poller, so no file is written after the command has ended.
class DubJob : public BatchJob
{
public:
    DubJob(CommandRun& run, const QString& text, const Voice& voice, std::chrono::seconds timeout)
        : m_run(run)
        , m_text(text)
        , m_voice(voice)
        , m_timeout(timeout)
    {
    }

    std::optional<int> Start(ServiceTask& task) override
    {
        m_run.Set(QStringLiteral("format"), m_voice.format);
        m_run.Set(QStringLiteral("voice"), m_voice.voice);
        m_run.Set(QStringLiteral("speed"), m_voice.speed);
        m_run.Set(QStringLiteral("pitch"), m_voice.pitch);
        m_run.Set(QStringLiteral("volume"), m_voice.volume);
        const QString output =
            DubbingFileName::Wanted(ServiceOptions::OutputFolder(QStringLiteral("AIAudio")), m_voice.format);
        if (ShortSpeechTask::Takes(m_text))
            StartShort(task, output);
        else
            StartLong(task, output);
        return std::nullopt;
    }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        if (!m_long) {
            if (const std::optional<int> status =
                    TaskWait::Judge(m_run, ending, end, m_timeout, QStringLiteral("speech")))
                return *status;
            return Succeed(end.value.toString());
        }
        // A download the poller finished before it stopped was written whole.
        int code = 0;
        if (const std::optional<int> status =
                PolledRun::Finish(m_run, QStringLiteral("speech"), *m_driven, m_timeout, ending, end, code))
            return *status;
        return Succeed(QString::fromStdString(m_client.GetOutputPath()));
    }

private:
    void StartShort(ServiceTask& task, const QString& output)
    {
        m_run.Set(QStringLiteral("mode"), QStringLiteral("short"));
        m_run.Progress().SetState(QStringLiteral("synthesizing the speech"));
        const ShortSpeechTask::Request request{
            m_text, output, m_voice.speed, m_voice.pitch, m_voice.volume, m_voice.voice,
            m_voice.format == QLatin1String("mp3") ? CTxt2AudioShortNetOper::kAueMp3 : CTxt2AudioShortNetOper::kAueWav};
        task.Start(ShortSpeechTask::Make(request));
    }

    void StartLong(ServiceTask& task, const QString& output)
    {
        m_long = true;
        m_run.Set(QStringLiteral("mode"), QStringLiteral("task"));
        m_driven = std::make_unique<PolledClient>(PolledClient{
            [this, output](PollCodes& codes, const pplx::cancellation_token& cancel) {
                m_client.SetProgressCallback(&PollCodes::Push);
                const int code = m_client.Start(m_text.toStdString(), output.toStdString(),
                                                m_voice.format == QLatin1String("mp3") ? "mp3-16k" : "wav",
                                                m_voice.voice, m_voice.speed, m_voice.pitch, m_voice.volume, &codes,
                                                cancel);
                return code == CTxt2AudioNetOper::Started ? 0 : code;
            },
            [this] { return QString::fromStdString(m_client.TaskId()); }, [this] { m_client.Stop(); },
            [this] { return QString::fromStdString(m_client.GetErrorText()); }, &LongSpeechTask::Reading});
        PolledRun::Start(m_run, QStringLiteral("speech"), *m_driven, task);
    }

    int Succeed(const QString& output)
    {
        m_run.Set(QStringLiteral("path"), output);
        m_run.Line(output);
        return m_run.Succeed();
    }

    CommandRun& m_run;
    const QString m_text;
    const Voice m_voice;
    const std::chrono::seconds m_timeout;
    bool m_long = false;
    CTxt2AudioNetOper m_client;
    std::unique_ptr<PolledClient> m_driven;
};

int Run(CommandRun& run)
{
    if (run.Arguments().Option(QStringLiteral("srt")))
        return DubSrtRun::Run(run);
    if (run.Arguments().Option(QStringLiteral("output")))
        return run.Usage(QStringLiteral("--output goes with --srt"));
    BatchInput input;
    if (const std::optional<int> status = BatchInput::Read(run, QStringLiteral("TEXT"), input))
        return *status;
    OptionReader options(run.Arguments());
    Voice voice;
    voice.voice = options.Integer(QStringLiteral("voice"), 0, -1, 1000000);
    voice.speed = options.Integer(QStringLiteral("speed"), 5, 0, 15);
    voice.pitch = options.Integer(QStringLiteral("pitch"), 5, 0, 15);
    voice.volume = options.Integer(QStringLiteral("volume"), 5, 0, 15);
    voice.format = options.Choice(QStringLiteral("format"), {QStringLiteral("mp3"), QStringLiteral("wav")});
    const auto timeout = options.Timeout();
    const int places = BatchRun::Places(options, BatchRun::kRequestPlaces);
    if (options.Problem())
        return run.Usage(*options.Problem());

    return BatchRun::OverTexts(run, input, places, timeout, QStringLiteral("text"), [&](CommandRun& item, const QString& text) {
        return std::make_unique<DubJob>(item, text, voice, timeout);
    });
}

} // namespace

const CliCommand& DubCommand()
{
    static const CliCommand command{
        "dub",
        "TEXT|--from FILE|--srt FILE [--jobs N] [--voice N] [--speed 0-15] [--pitch 0-15] [--volume 0-15] "
        "[--format mp3|wav] [--timeout S] [--output PATH]",
        "speech for TEXT (under 512 characters one request, longer a polled task that --timeout\n"
        "bounds, 600 s by default); prints the audio file's path; with --from, speech for each line of\n"
        "FILE that is not blank, --jobs at once (4), each path printed as it is written.\n"
        "With --srt, every caption of FILE spoken (--jobs at once, 4 by default, each within --timeout)\n"
        "and laid into one mono track at its start; speech longer than its slot plays up to 1.5x as\n"
        "fast, and what still runs on is listed. Prints the track's path (--output, else a new name in\n"
        "the dubbing folder) last",
        QStringList{QStringLiteral("voice"), QStringLiteral("speed"), QStringLiteral("pitch"),
                    QStringLiteral("volume"), QStringLiteral("format"), QStringLiteral("timeout"),
                    QStringLiteral("srt"), QStringLiteral("output")} +
            BatchInput::Names() + BatchRun::Names(),
        &Run};
    return command;
}
