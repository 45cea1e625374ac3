#include "apps/cli/BatchInput.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "mediakit/TextDecoding.h"

#include <QFile>

namespace {

// Why a line cannot be sent to a service: a control character (a tab aside) has no place in a
// topic or a prompt, and a NUL would cut the text short on its way. Empty when it can.
QString Problem(const QString& line)
{
    for (const QChar c : line) {
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\t'))
            return QStringLiteral("the line holds the control character U+%1, which no text sent to a service may")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return QString();
}

} // namespace

std::optional<int> BatchInput::Read(CommandRun& run, const QString& noun, BatchInput& input)
{
    const QString name = QLatin1String(run.Command().name);
    const std::optional<QString> from = run.Arguments().Option(QStringLiteral("from"));
    OptionReader options(run.Arguments());
    const QString encoding = options.Encoding();
    if (!from) {
        if (run.Arguments().Option(QStringLiteral("encoding")))
            return run.Usage(QStringLiteral("--encoding goes with --from: it names the file's character set"));
        if (run.Positional().size() != 1)
            return run.Usage(QStringLiteral("%1 takes one %2 (quote it when it has spaces) or --from FILE, not %3 words")
                                 .arg(name, noun)
                                 .arg(run.Positional().size()));
        if (run.Positional().front().trimmed().isEmpty())
            return run.Usage(QStringLiteral("the %1 is empty").arg(noun));
        input.texts = run.Positional();
        return std::nullopt;
    }
    if (!run.Positional().isEmpty())
        return run.Usage(QStringLiteral("%1 takes a %2 or --from FILE, not both").arg(name, noun));
    if (options.Problem())
        return run.Usage(*options.Problem());
    QFile file(*from);
    if (!file.open(QIODevice::ReadOnly))
        return run.Fail(QStringLiteral("cannot read %1: %2").arg(*from, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return run.Fail(QStringLiteral("cannot read %1: %2").arg(*from, file.errorString()));
    const TextDecoding::Result decoded = TextDecoding::Decode(bytes, encoding);
    if (decoded.outcome != TextDecoding::Outcome::Read)
        return run.Fail(QStringLiteral("cannot read %1: %2").arg(*from, TextDecoding::Reason(decoded, encoding)));
    const QStringList lines = decoded.text.split(QLatin1Char('\n'));
    for (qsizetype at = 0; at < lines.size(); ++at) {
        const QString text = lines[at].trimmed();
        if (text.isEmpty())
            continue;
        input.texts << text;
        input.lines << int(at + 1);
        input.subjects << QStringLiteral("%1:%2").arg(*from).arg(at + 1);
        input.problems << Problem(text);
    }
    if (input.texts.isEmpty())
        return run.Usage(QStringLiteral("%1 has no %2 in it, only blank lines").arg(*from, noun));
    return std::nullopt;
}

QStringList BatchInput::Names()
{
    return {QStringLiteral("from"), QStringLiteral("encoding")};
}
