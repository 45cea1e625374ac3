#include "apps/cli/DubCommand.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/DubSrtRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledProgress.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWait.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/LongSpeechTask.h"
#include "dubbing/ShortSpeechTask.h"

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
        const ShortSpeechTask::Request request{
            m_text, output, m_voice.speed, m_voice.pitch, m_voice.volume, m_voice.voice,
            m_voice.format == QLatin1String("mp3") ? CTxt2AudioShortNetOper::kAueMp3 : CTxt2AudioShortNetOper::kAueWav};
        m_long = !ShortSpeechTask::Takes(m_text);
        m_run.Set(QStringLiteral("mode"), m_long ? QStringLiteral("task") : QStringLiteral("short"));
        m_run.Progress().SetState(m_long ? QStringLiteral("creating the speech task")
                                         : QStringLiteral("synthesizing the speech"));
        task.Start(m_long ? LongSpeechTask::Make(request) : ShortSpeechTask::Make(request));
        return std::nullopt;
    }

    QString Read(int code, const QString& text) override { return m_polled.Read(code, text); }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        // A download the task finished before it stopped was written whole.
        const std::optional<int> status = m_long ? m_polled.Finish(m_run, m_timeout, ending, end)
                                                 : TaskWait::Judge(m_run, ending, end, m_timeout, QStringLiteral("speech"));
        if (status)
            return *status;
        return Succeed(end.value.toString());
    }

private:

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
    PolledProgress m_polled{QStringLiteral("speech")};
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
        "TEXT|--from FILE|--srt FILE [--encoding NAME] [--jobs N] [--voice N] [--speed 0-15] [--pitch 0-15] "
        "[--volume 0-15] [--format mp3|wav] [--timeout S] [--output PATH]",
        "speech for TEXT (under 512 characters one request, longer a polled task that --timeout\n"
        "bounds, 600 s by default); prints the audio file's path; with --from, speech for each line of\n"
        "FILE that is not blank, --jobs at once (4), each path printed as it is written.\n"
        "With --srt, every caption of FILE spoken (--jobs at once, 4 by default, each within --timeout)\n"
        "and laid into one mono track at its start; speech longer than its slot plays up to 1.5x as\n"
        "fast, and what still runs on is listed. Prints the track's path (--output, else a new name in\n"
        "the dubbing folder) last. A FILE's character set is told from its bytes; --encoding names it\n"
        "when it cannot be",
        QStringList{QStringLiteral("voice"), QStringLiteral("speed"), QStringLiteral("pitch"),
                    QStringLiteral("volume"), QStringLiteral("format"), QStringLiteral("timeout"),
                    QStringLiteral("srt"), QStringLiteral("output")} +
            BatchInput::Names() + BatchRun::Names(),
        &Run};
    return command;
}
