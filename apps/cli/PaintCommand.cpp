#include "apps/cli/PaintCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/ProgressWaiter.h"
#include "apps/cli/ServiceOptions.h"
#include "painting/CTxt2ImageNetOper.h"

#include <QFile>
#include <QRegularExpression>

int RunPaintCommand(const CliArguments& arguments)
{
    const QStringList known{QStringLiteral("size"), QStringLiteral("count"), QStringLiteral("reference"),
                            QStringLiteral("timeout")};
    if (!arguments.UnknownOptions(known).isEmpty())
        return PrintUsage(QStringLiteral("unknown option %1").arg(arguments.UnknownOptions(known).join(QLatin1Char(' '))));
    if (arguments.Positional().size() != 1 || arguments.Positional().front().trimmed().isEmpty())
        return PrintUsage(QStringLiteral("paint takes one non-empty PROMPT"));
    // The painting window's first choices: 640x360, four images.
    const QString size = arguments.Option(QStringLiteral("size")).value_or(QStringLiteral("640x360"));
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(size);
    const std::optional<int> count = ServiceOptions::Integer(arguments, QStringLiteral("count"), 4, 1, 8);
    const auto timeout = ServiceOptions::Timeout(arguments);
    if (!match.hasMatch() || !count || !timeout)
        return PrintUsage(QStringLiteral("a paint option has a value it does not take"));

    CTxt2ImageNetOper client;
    ProgressWaiter waiter(CTxt2ImageNetOper::kProgressMessage, [](int code) {
        return code == CTxt2ImageNetOper::PollFinished || code == CTxt2ImageNetOper::PollError;
    });
    const QString folder = ServiceOptions::OutputFolder(QStringLiteral("AIImage"));
    const int started = client.Start(arguments.Positional().front().toStdString(), folder.toStdString(),
                                     match.captured(1).toInt(), match.captured(2).toInt(), *count,
                                     arguments.Option(QStringLiteral("reference")).value_or(QString()).toStdString(),
                                     &waiter);
    if (started != CTxt2ImageNetOper::Started)
        return PrintFailure(client.GetErrorText());
    const std::optional<int> code = waiter.Wait(*timeout);
    client.Stop();
    if (!code)
        return PrintFailure(QStringLiteral("the image task did not finish in time"));
    if (*code != CTxt2ImageNetOper::PollFinished)
        return PrintFailure(client.GetErrorText());

    int passed = 0;
    for (const auto& result : client.Results()) {
        if (QString::fromStdString(result->conclusion).compare(QLatin1String("pass"), Qt::CaseInsensitive) == 0 &&
            QFile::exists(QString::fromStdString(result->localPath))) {
            PrintLine(result->localPath);
            ++passed;
        }
    }
    if (passed == 0) {
        const std::string error = client.GetErrorText();
        return PrintFailure(error.empty() ? std::string("no image passed the service's review") : error);
    }
    // Images that were made but are missing or held back are worth a word on standard error.
    if (!client.GetErrorText().empty())
        PrintFailure(client.GetErrorText());
    return ExitOk;
}
