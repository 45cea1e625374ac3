#include "apps/cli/CaptionsCommand.h"

#include "apps/cli/CaptionOptions.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/OutputPath.h"

namespace {

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("captions takes one INPUT, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    const CaptionOptions layout(run.Arguments(), options);
    if (layout.Problem())
        return run.Usage(*layout.Problem());
    const QString input = run.Positional().front();
    const QString output = options.Text(QStringLiteral("output"));
    const QString encoding = options.Encoding();
    if (options.Problem())
        return run.Usage(*options.Problem());
    // Written over, the sentences the captions came from would be gone.
    if (!output.isEmpty() && OutputPath::IsInput(output, input))
        return run.Usage(QStringLiteral("--output names INPUT itself; the captions need a file of their own"));

    run.Set(QStringLiteral("input"), input);
    run.Set(QStringLiteral("format"), layout.FormatName());
    QString path;
    QString error;
    int cues = 0;
    int captions = 0;
    if (!layout.Write(input, output, path, cues, captions, error, {}, encoding))
        return run.Fail(error);
    run.Set(QStringLiteral("cues"), cues);
    run.Set(QStringLiteral("captions"), captions);
    run.Set(QStringLiteral("path"), path);
    run.Line(path);
    return run.Succeed();
}

} // namespace

const CliCommand& CaptionsCommand()
{
    static const CliCommand command{
        "captions",
        "INPUT [--output PATH] [--max-chars N] [--max-lines N] [--max-seconds S] [--format srt|vtt|ass] "
        "[--encoding NAME]",
        "the sentences of the SRT file INPUT laid out as captions: at most N characters a line (42,\n"
        "or 16 for a caption in Chinese), N lines (2) and S seconds (7); a sentence that fits is kept\n"
        "as it is, a longer one cut at its pauses with its time shared out; written to PATH, or beside\n"
        "INPUT as NAME.captions.FORMAT (NAME.captions_2.FORMAT when that is taken); prints its path.\n"
        "INPUT's character set is told from its bytes; --encoding names it when it cannot be",
        QStringList{QStringLiteral("output"), QStringLiteral("encoding")} + CaptionOptions::Names(),
        &Run};
    return command;
}
