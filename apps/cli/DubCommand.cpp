#include "apps/cli/DubCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/ProgressWaiter.h"
#include "apps/cli/ServiceOptions.h"
#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"

namespace {

// Texts of this many characters or more go to the long-text service.
constexpr qsizetype kLongTextCharacters = 512;

} // namespace

int RunDubCommand(const CliArguments& arguments)
{
    const QStringList known{QStringLiteral("voice"), QStringLiteral("speed"), QStringLiteral("pitch"),
                            QStringLiteral("volume"), QStringLiteral("format"), QStringLiteral("timeout")};
    if (!arguments.UnknownOptions(known).isEmpty())
        return PrintUsage(QStringLiteral("unknown option %1").arg(arguments.UnknownOptions(known).join(QLatin1Char(' '))));
    if (arguments.Positional().size() != 1 || arguments.Positional().front().trimmed().isEmpty())
        return PrintUsage(QStringLiteral("dub takes one non-empty TEXT"));
    const std::optional<int> voice = ServiceOptions::Integer(arguments, QStringLiteral("voice"), 0, -1, 1000000);
    const std::optional<int> speed = ServiceOptions::Integer(arguments, QStringLiteral("speed"), 5, 0, 15);
    const std::optional<int> pitch = ServiceOptions::Integer(arguments, QStringLiteral("pitch"), 5, 0, 15);
    const std::optional<int> volume = ServiceOptions::Integer(arguments, QStringLiteral("volume"), 5, 0, 15);
    const QString format = arguments.Option(QStringLiteral("format")).value_or(QStringLiteral("mp3"));
    const auto timeout = ServiceOptions::Timeout(arguments);
    if (!voice || !speed || !pitch || !volume || !timeout ||
        (format != QLatin1String("mp3") && format != QLatin1String("wav")))
        return PrintUsage(QStringLiteral("a dub option has a value it does not take"));

    const QString text = arguments.Positional().front();
    const QString output = ServiceOptions::OutputFolder(QStringLiteral("AIAudio")) + QStringLiteral("Audio") +
                           ServiceOptions::TimeStamp() + QLatin1Char('.') + format;
    const bool mp3 = format == QLatin1String("mp3");

    if (text.size() < kLongTextCharacters) {
        CTxt2AudioShortNetOper client;
        std::string error;
        if (!client.Synthesize(text.toStdString(), error, output.toStdString(), *speed, *pitch, *volume, *voice,
                               mp3 ? CTxt2AudioShortNetOper::kAueMp3 : CTxt2AudioShortNetOper::kAueWav))
            return PrintFailure(error);
        PrintLine(output);
        return ExitOk;
    }

    CTxt2AudioNetOper client;
    ProgressWaiter waiter(CTxt2AudioNetOper::kProgressMessage, [](int code) {
        return code == CTxt2AudioNetOper::PollFinished || code == CTxt2AudioNetOper::PollGaveUp;
    });
    if (client.Start(text.toStdString(), output.toStdString(), mp3 ? "mp3-16k" : "wav", *voice, *speed, *pitch,
                     *volume, &waiter) != CTxt2AudioNetOper::Started)
        return PrintFailure(client.GetErrorText());
    const std::optional<int> end = waiter.Wait(*timeout);
    if (!end) {
        client.Stop();
        const std::string last = client.GetErrorText();
        return PrintFailure(QStringLiteral("the speech task did not finish in time%1")
                                .arg(last.empty() ? QString() : QStringLiteral(" (last error: %1)").arg(QString::fromStdString(last))));
    }
    if (*end == CTxt2AudioNetOper::PollGaveUp)
        return PrintFailure(client.GetErrorText());
    PrintLine(client.GetOutputPath());
    return ExitOk;
}
