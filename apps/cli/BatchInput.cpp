#include "apps/cli/BatchInput.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"

#include <QFile>

std::optional<int> BatchInput::Read(CommandRun& run, const QString& noun, BatchInput& input)
{
    const QString name = QLatin1String(run.Command().name);
    const std::optional<QString> from = run.Arguments().Option(QStringLiteral("from"));
    if (!from) {
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
    QFile file(*from);
    if (!file.open(QIODevice::ReadOnly))
        return run.Fail(QStringLiteral("cannot read %1: %2").arg(*from, file.errorString()));
    QString content = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return run.Fail(QStringLiteral("cannot read %1: %2").arg(*from, file.errorString()));
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype at = 0; at < lines.size(); ++at) {
        const QString text = lines[at].trimmed();
        if (text.isEmpty())
            continue;
        input.texts << text;
        input.lines << int(at + 1);
        input.subjects << QStringLiteral("%1:%2").arg(*from).arg(at + 1);
    }
    if (input.texts.isEmpty())
        return run.Usage(QStringLiteral("%1 has no %2 in it, only blank lines").arg(*from, noun));
    return std::nullopt;
}

QStringList BatchInput::Names()
{
    return {QStringLiteral("from")};
}
