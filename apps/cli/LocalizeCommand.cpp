#include "apps/cli/LocalizeCommand.h"

#include "apps/cli/BatchRun.h"
#include "apps/cli/CaptionOptions.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/LocalizeRun.h"
#include "apps/cli/OptionReader.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "subtitles/SubtitlesSource.h"
#include "translation/TranslationLanguage.h"

#include <QFileInfo>

namespace {

constexpr int kMostJobs = 32;

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("localize takes one VIDEO, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    const CaptionOptions layout(run.Arguments(), options);
    LocalizeRun::Options chosen;
    chosen.video = run.Positional().front();
    chosen.to = options.Text(QStringLiteral("to"));
    chosen.from = options.Text(QStringLiteral("from"));
    chosen.glossary = options.Text(QStringLiteral("glossary"));
    chosen.output = options.Text(QStringLiteral("output"));
    chosen.engine = options.Choice(QStringLiteral("engine"), {QStringLiteral("cloud"), QStringLiteral("file")}) ==
                            QLatin1String("cloud")
                        ? 1
                        : 0;
    const QString model = options.Choice(QStringLiteral("model"), {QString(), QStringLiteral("80001"),
                                                                   QStringLiteral("80006"), QStringLiteral("1737")});
    chosen.voice.voice = options.Integer(QStringLiteral("voice"), 0, -1, 1000000);
    chosen.voice.speed = options.Integer(QStringLiteral("speed"), 5, 0, 15);
    chosen.voice.pitch = options.Integer(QStringLiteral("pitch"), 5, 0, 15);
    chosen.voice.volume = options.Integer(QStringLiteral("volume"), 5, 0, 15);
    // Speech is laid into the track at its captions' starts: an encoder's padding would move it.
    chosen.voice.aue = CTxt2AudioShortNetOper::kAueWav;
    chosen.jobs = options.Integer(QStringLiteral("jobs"), BatchRun::kRequestPlaces, 1, kMostJobs);
    chosen.timeout = options.Timeout();
    chosen.limits = layout.Limits();
    chosen.fresh = run.Arguments().Flag(QStringLiteral("fresh"));
    if (layout.Problem())
        return run.Usage(*layout.Problem());
    if (options.Problem())
        return run.Usage(*options.Problem());
    if (chosen.to.isEmpty())
        return run.Usage(QStringLiteral("--to needs the language to translate into, such as es"));
    if (chosen.from.isEmpty())
        chosen.from = QStringLiteral("en");
    for (const QString& code : {chosen.to, chosen.from}) {
        if (!TranslationLanguage::IsCode(code))
            return run.Usage(QStringLiteral("%1 is not a language's two-letter code, such as en or zh").arg(code));
    }
    if (chosen.from == chosen.to)
        return run.Usage(QStringLiteral("the video is in %1 already; --from names its language").arg(chosen.to));
    // The model hears the video's language unless one is named.
    chosen.model = !model.isEmpty() ? model.toInt()
                   : chosen.from == QLatin1String("zh") ? SubtitlesSource::kSubtitleMandarinModel
                                                        : SubtitlesSource::kEnglishModel;
    if (!QFileInfo(chosen.video).isFile())
        return run.Fail(QStringLiteral("cannot open %1: No such file").arg(chosen.video));
    if (!chosen.glossary.isEmpty() && !QFileInfo(chosen.glossary).isFile())
        return run.Fail(QStringLiteral("cannot open the glossary %1: No such file").arg(chosen.glossary));
    run.Set(QStringLiteral("video"), chosen.video);
    run.Set(QStringLiteral("from"), chosen.from);
    run.Set(QStringLiteral("to"), chosen.to);
    return LocalizeRun(run, chosen).Execute();
}

} // namespace

const CliCommand& LocalizeCommand()
{
    static const CliCommand command{
        "localize",
        "VIDEO --to LANG [--from LANG] [--engine cloud|file] [--model 80001|80006|1737] [--glossary FILE] "
        "[--voice N] [--speed 0-15] [--pitch 0-15] [--volume 0-15] [--jobs N] [--timeout S] [--max-chars N] "
        "[--max-lines N] [--max-seconds S] [--output PATH] [--fresh]",
        "VIDEO in another language, in one run: its speech recognised (in --from, en by default), laid\n"
        "out as captions, translated into LANG, spoken as a track fitted to the captions' times, and\n"
        "mixed over the original sound (lowered while the track speaks) with both languages' subtitles\n"
        "(LANG's the default stream). Written to PATH, or beside VIDEO as NAME.LANG.mp4 (never over a\n"
        "file that is there); prints its path. Each step's result is kept in NAME.LANG.qovaigc/ beside\n"
        "VIDEO: a rerun does only what changed (an edited captions.LANG.srt there: the edited captions\n"
        "spoken again, then mixed), after a failure or Ctrl-C too; --fresh starts over. Its report.json\n"
        "and the table on standard error say how fast each caption reads and how its speech was fitted",
        QStringList{QStringLiteral("to"), QStringLiteral("from"), QStringLiteral("engine"), QStringLiteral("model"),
                    QStringLiteral("glossary"), QStringLiteral("voice"), QStringLiteral("speed"),
                    QStringLiteral("pitch"), QStringLiteral("volume"), QStringLiteral("jobs"),
                    QStringLiteral("timeout"), QStringLiteral("output"), QStringLiteral("max-chars"),
                    QStringLiteral("max-lines"), QStringLiteral("max-seconds")},
        &Run,
        QStringList{QStringLiteral("fresh")}};
    return command;
}
