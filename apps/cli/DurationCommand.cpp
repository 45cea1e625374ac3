#include "apps/cli/DurationCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "subtitles/AudioTranscode.h"
#include "subtitles/AudioTranscodeText.h"

#include <QFile>

namespace {

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("duration takes one FILE, not %1 words").arg(run.Positional().size()));
    const QString path = run.Positional().front();
    const double seconds = GetAudioDuration(QFile::encodeName(path).constData());
    run.Set(QStringLiteral("path"), path);
    run.Set(QStringLiteral("seconds"), seconds);
    // The number stays on standard output when it is negative: scripts that read it still can.
    run.Line(QString::number(seconds, 'f', 3));
    const QString problem = DurationResultText(seconds, path);
    if (problem.isEmpty())
        return run.Succeed();
    run.Set(QStringLiteral("code"), int(seconds));
    return run.Fail(problem);
}

} // namespace

const CliCommand& DurationCommand()
{
    static const CliCommand command{"duration", "FILE",
                                    "seconds of FILE's first audio stream; a file that cannot be opened (-1) or has\n"
                                    "no audio (-2) fails, the number still printed",
                                    {}, &Run};
    return command;
}
