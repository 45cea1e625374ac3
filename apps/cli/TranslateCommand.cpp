#include "apps/cli/TranslateCommand.h"

#include "apps/cli/BatchRun.h"
#include "apps/cli/CaptionOptions.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/OutputPath.h"
#include "apps/cli/TaskWait.h"
#include "apps/cli/TranslateReport.h"
#include "mediakit/CaptionLayout.h"
#include "mediakit/CaptionWriter.h"
#include "mediakit/SrtReader.h"
#include "translation/CaptionTranslation.h"
#include "translation/TranslationCache.h"
#include "translation/TranslationLanguage.h"
#include "translation/TranslatedCaptions.h"
#include "translation/TranslationLog.h"

#include <QFileInfo>

namespace {

constexpr int kMostJobs = 32;

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("translate takes one INPUT, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    const CaptionOptions layout(run.Arguments(), options);
    if (layout.Problem())
        return run.Usage(*layout.Problem());
    const QString input = run.Positional().front();
    const QString output = options.Text(QStringLiteral("output"));
    const QString to = options.Text(QStringLiteral("to"));
    QString from = options.Text(QStringLiteral("from"));
    const QString glossaryPath = options.Text(QStringLiteral("glossary"));
    const QString encoding = options.Encoding();
    const int jobs = options.Integer(QStringLiteral("jobs"), BatchRun::kRequestPlaces, 1, kMostJobs);
    const auto timeout = options.Timeout();
    if (options.Problem())
        return run.Usage(*options.Problem());
    if (to.isEmpty())
        return run.Usage(QStringLiteral("--to needs the language to translate into, such as es"));
    for (const QString& code : {to, from}) {
        if (!code.isEmpty() && !TranslationLanguage::IsCode(code))
            return run.Usage(QStringLiteral("%1 is not a language's two-letter code, such as en or zh").arg(code));
    }
    // Written over, the captions the translation came from would be gone.
    if (!output.isEmpty() && OutputPath::IsInput(output, input))
        return run.Usage(QStringLiteral("--output names INPUT itself; the translation needs a file of its own"));
    // Found out only when the file is written, it would cost every batch's request first.
    if (!output.isEmpty() && !QFileInfo(QFileInfo(output).absolutePath()).isDir())
        return run.Fail(QStringLiteral("cannot write %1: its folder does not exist").arg(output));

    std::vector<Caption> captions;
    QString error;
    if (!SrtReader::Read(input, captions, error, encoding))
        return run.Fail(error);
    if (from.isEmpty())
        from = TranslationLanguage::Guess(captions);
    if (from == to)
        return run.Usage(QStringLiteral("the captions are in %1 already; --from names them when that is wrong").arg(to));
    CaptionTranslation::Settings settings;
    if (!glossaryPath.isEmpty() && !TranslationGlossary::Read(glossaryPath, settings.glossary, error))
        return run.Fail(error);
    settings.from = from;
    settings.to = to;
    settings.lineChars = layout.Limits().maxChars;
    settings.lines = layout.Limits().maxLines;
    settings.jobs = jobs;
    settings.batchLimit = timeout;
    settings.cacheFolder = TranslationCache::DefaultFolder();
    run.Set(QStringLiteral("input"), input);
    run.Set(QStringLiteral("from"), from);
    run.Set(QStringLiteral("to"), to);
    run.Set(QStringLiteral("format"), layout.FormatName());

    // The history is read from anywhere, so it keeps a path that means the same from anywhere.
    const QString source = QFileInfo(input).absoluteFilePath();
    CaptionTranslation translation;
    if (!translation.Prepare(captions, settings, error))
        return run.Fail(error);
    if (!translation.Start())
        return run.Fail(QStringLiteral("the translation could not be started"));
    run.Progress().SetState(QStringLiteral("translating"));
    TaskEnd end;
    const TaskWait::Reading reading = [](int, const QString& text) {
        return QStringLiteral("translated %1 captions").arg(text);
    };
    // Each batch has --timeout; the run as a whole needs no bound of its own.
    const TaskWait::Ending ending = TaskWait::Run(translation, TaskWait::kNoLimit, run.Progress(), reading, end);
    if (ending == TaskWait::Ending::Interrupted || !end.Succeeded()) {
        TranslationLog::Failed(source);
        if (ending == TaskWait::Ending::Interrupted)
            return run.Interrupted();
        return run.Fail(end.error.text);
    }

    QString path = output.isEmpty() ? layout.DefaultPath(input, to) : output;
    QString why;
    const bool cut = run.Arguments().Option(QStringLiteral("max-seconds")).has_value();
    const std::vector<Caption> laidOut = TranslatedCaptions::LaidOut(translation.Results(), layout.Limits(), cut);
    if (!CaptionWriter::Write(path, laidOut, layout.Format(), !output.isEmpty(), why)) {
        TranslationLog::Failed(source);
        return run.Fail(QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    TranslationLog::Finished(source, path);
    run.Set(QStringLiteral("path"), path);
    run.Set(QStringLiteral("requests"), translation.Requests());
    run.Set(QStringLiteral("retried"), translation.Retried());
    run.Set(QStringLiteral("captions"), TranslateReport::Captions(translation));
    run.Warn(TranslateReport::Summary(translation));
    run.Line(path);
    return run.Succeed();
}

} // namespace

const CliCommand& TranslateCommand()
{
    static const CliCommand command{
        "translate",
        "INPUT --to LANG [--from LANG] [--glossary FILE] [--output PATH] [--encoding NAME] [--format srt|vtt|ass] "
        "[--max-chars N] [--max-lines N] [--max-seconds S] [--jobs N] [--timeout S]",
        "the captions of the SRT file INPUT translated into LANG (a two-letter code: es, zh, fr, ...)\n"
        "through the chat service, one caption for each with its time, laid out as captions lays them\n"
        "out (--max-seconds also cuts long ones); --from is guessed from the captions when not given.\n"
        "FILE holds fixed translations, a term, a tab and its translation a line. Written to PATH, or\n"
        "beside INPUT as NAME.LANG.FORMAT (NAME.LANG_2.FORMAT when that is taken); prints its path and\n"
        "a summary on standard error. --jobs requests at once (4); each batch has --timeout. Batches\n"
        "that came back are kept, so a rerun after a failure asks only for the rest. INPUT's character set\n"
        "is told from its bytes; --encoding names it when it cannot be",
        QStringList{QStringLiteral("to"), QStringLiteral("from"), QStringLiteral("glossary"), QStringLiteral("output"),
                    QStringLiteral("encoding"),
                    QStringLiteral("jobs"), QStringLiteral("timeout")} +
            CaptionOptions::Names(),
        &Run};
    return command;
}
