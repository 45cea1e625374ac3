#include "apps/cli/ExtractCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "subtitles/AudioTranscode.h"

#include <QFile>

#include <optional>

namespace {

// The value of --name among two choices: the first gives 0, the second 1 (the extraction's
// enumerations only ask whether a value is zero).
std::optional<int> Choice(const CliArguments& arguments, const QString& name, const char* zero, const char* one)
{
    const std::optional<QString> value = arguments.Option(name);
    if (!value || *value == QLatin1String(zero))
        return 0;
    if (*value == QLatin1String(one))
        return 1;
    return std::nullopt;
}

std::optional<int> Seconds(const CliArguments& arguments, const QString& name)
{
    const std::optional<QString> value = arguments.Option(name);
    if (!value)
        return 0;
    bool ok = false;
    const int seconds = value->toInt(&ok);
    return ok ? std::optional<int>(seconds) : std::nullopt;
}

} // namespace

int RunExtractCommand(const CliArguments& arguments)
{
    const QStringList known{QStringLiteral("start"), QStringLiteral("end"),  QStringLiteral("codec"),
                            QStringLiteral("channels"), QStringLiteral("rate"), QStringLiteral("bits")};
    if (!arguments.UnknownOptions(known).isEmpty())
        return PrintUsage(QStringLiteral("unknown option %1").arg(arguments.UnknownOptions(known).join(QLatin1Char(' '))));
    if (arguments.Positional().size() != 2)
        return PrintUsage(QStringLiteral("extract takes SOURCE and DEST"));
    // The subtitles tool's own choice: MP3, one channel, 16000 Hz, 16-bit, the whole file.
    const std::optional<int> codec = Choice(arguments, QStringLiteral("codec"), "mp3", "pcm");
    const std::optional<int> channels = Choice(arguments, QStringLiteral("channels"), "1", "2");
    const std::optional<int> rate = Choice(arguments, QStringLiteral("rate"), "16000", "8000");
    const std::optional<int> bits = Choice(arguments, QStringLiteral("bits"), "16", "8");
    const std::optional<int> start = Seconds(arguments, QStringLiteral("start"));
    const std::optional<int> end = Seconds(arguments, QStringLiteral("end"));
    if (!codec || !channels || !rate || !bits || !start || !end)
        return PrintUsage(QStringLiteral("an extract option has a value it does not take"));

    const FFAPI::emACodec codecValue = *codec == 0 ? FFAPI::ACODEC_MP3 : FFAPI::ACODEC_PCM_S16LE;
    const FFAPI::emAChannel channelValue = FFAPI::emAChannel(*channels);
    const FFAPI::emASampleRate rateValue = FFAPI::emASampleRate(*rate);
    const FFAPI::emASampleBit bitValue = FFAPI::emASampleBit(*bits);
    const int result = VideoTranscodeAudio(arguments.Positional()[0], arguments.Positional()[1], *start, *end,
                                           codecValue, channelValue, rateValue, bitValue);
    if (result != TRANSCODE_OK)
        return PrintFailure(QStringLiteral("extraction failed with code %1").arg(result));
    return ExitOk;
}

int RunDurationCommand(const CliArguments& arguments)
{
    if (arguments.Positional().size() != 1 || !arguments.UnknownOptions({}).isEmpty())
        return PrintUsage(QStringLiteral("duration takes one FILE"));
    const double seconds = GetAudioDuration(QFile::encodeName(arguments.Positional()[0]).constData());
    PrintLine(QString::number(seconds, 'f', 3));
    return ExitOk;
}
