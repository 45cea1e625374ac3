#include "apps/cli/DubCommand.h"

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

int Succeed(CommandRun& run, const QString& output)
{
    run.Set(QStringLiteral("path"), output);
    run.Line(output);
    return run.Succeed();
}

// The short request runs as a task: the progress line keeps counting, and Ctrl-C or the time-out
// cancels the request, so no file is written after the command has ended.
int RunShort(CommandRun& run, const QString& text, const Voice& voice, const QString& output,
             std::chrono::seconds timeout)
{
    run.Set(QStringLiteral("mode"), QStringLiteral("short"));
    run.Progress().SetState(QStringLiteral("synthesizing the speech"));
    ShortSpeechTask::Request request{text, output, voice.speed, voice.pitch, voice.volume, voice.voice,
                                     voice.format == QLatin1String("mp3") ? CTxt2AudioShortNetOper::kAueMp3
                                                                          : CTxt2AudioShortNetOper::kAueWav};
    ServiceTask task;
    task.Start(ShortSpeechTask::Make(request));
    TaskEnd end;
    if (const std::optional<int> status = TaskWait::ForSuccess(run, task, timeout, QStringLiteral("speech"), end))
        return *status;
    return Succeed(run, end.value.toString());
}

int RunLong(CommandRun& run, const QString& text, const Voice& voice, const QString& output,
            std::chrono::seconds timeout)
{
    run.Set(QStringLiteral("mode"), QStringLiteral("task"));
    CTxt2AudioNetOper client;
    const PolledClient driven{
        [&](PollCodes& codes, const pplx::cancellation_token& cancel) {
            client.SetProgressCallback(&PollCodes::Push);
            const int code = client.Start(text.toStdString(), output.toStdString(),
                                          voice.format == QLatin1String("mp3") ? "mp3-16k" : "wav", voice.voice,
                                          voice.speed, voice.pitch, voice.volume, &codes, cancel);
            return code == CTxt2AudioNetOper::Started ? 0 : code;
        },
        [&client] { return QString::fromStdString(client.TaskId()); }, [&client] { client.Stop(); },
        [&client] { return QString::fromStdString(client.GetErrorText()); }, &LongSpeechTask::Reading};
    // A download the poller finished before it stopped was written whole.
    int code = 0;
    if (const std::optional<int> status =
            PolledRun::Wait(run, QStringLiteral("speech"), driven, timeout, code))
        return *status;
    return Succeed(run, QString::fromStdString(client.GetOutputPath()));
}

int Run(CommandRun& run)
{
    if (run.Arguments().Option(QStringLiteral("srt")))
        return DubSrtRun::Run(run);
    if (run.Arguments().Option(QStringLiteral("output")) || run.Arguments().Option(QStringLiteral("jobs")))
        return run.Usage(QStringLiteral("--output and --jobs go with --srt"));
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("dub takes one TEXT (quote it when it has spaces), not %1 words")
                             .arg(run.Positional().size()));
    const QString text = run.Positional().front();
    if (text.trimmed().isEmpty())
        return run.Usage(QStringLiteral("the TEXT is empty"));
    OptionReader options(run.Arguments());
    Voice voice;
    voice.voice = options.Integer(QStringLiteral("voice"), 0, -1, 1000000);
    voice.speed = options.Integer(QStringLiteral("speed"), 5, 0, 15);
    voice.pitch = options.Integer(QStringLiteral("pitch"), 5, 0, 15);
    voice.volume = options.Integer(QStringLiteral("volume"), 5, 0, 15);
    voice.format = options.Choice(QStringLiteral("format"), {QStringLiteral("mp3"), QStringLiteral("wav")});
    const auto timeout = options.Timeout();
    if (options.Problem())
        return run.Usage(*options.Problem());

    const QString output = DubbingFileName::Wanted(ServiceOptions::OutputFolder(QStringLiteral("AIAudio")), voice.format);
    run.Set(QStringLiteral("format"), voice.format);
    run.Set(QStringLiteral("voice"), voice.voice);
    run.Set(QStringLiteral("speed"), voice.speed);
    run.Set(QStringLiteral("pitch"), voice.pitch);
    run.Set(QStringLiteral("volume"), voice.volume);
    if (ShortSpeechTask::Takes(text))
        return RunShort(run, text, voice, output, timeout);
    return RunLong(run, text, voice, output, timeout);
}

} // namespace

const CliCommand& DubCommand()
{
    static const CliCommand command{
        "dub",
        "TEXT|--srt FILE [--voice N] [--speed 0-15] [--pitch 0-15] [--volume 0-15] [--format mp3|wav] [--timeout S] "
        "[--output PATH] [--jobs N]",
        "speech for TEXT (under 512 characters one request, longer a polled task that --timeout\n"
        "bounds, 600 s by default); prints the audio file's path.\n"
        "With --srt, every caption of FILE spoken (--jobs at once, 4 by default, each within --timeout)\n"
        "and laid into one mono track at its start; speech longer than its slot plays up to 1.5x as\n"
        "fast, and what still runs on is listed. Prints the track's path (--output, else a new name in\n"
        "the dubbing folder) last",
        {QStringLiteral("voice"), QStringLiteral("speed"), QStringLiteral("pitch"), QStringLiteral("volume"),
         QStringLiteral("format"), QStringLiteral("timeout"), QStringLiteral("srt"), QStringLiteral("output"),
         QStringLiteral("jobs")},
        &Run};
    return command;
}
