#include "apps/cli/ExtractCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/OptionReader.h"
#include "subtitles/AudioTranscode.h"
#include "subtitles/AudioTranscodeText.h"

#include <QFile>

namespace {

int Run(CommandRun& run)
{
    if (run.Positional().size() != 2)
        return run.Usage(QStringLiteral("extract takes SOURCE and DEST, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    // The subtitles tool's own choice: MP3, one channel, 16000 Hz, 16-bit, the whole file.
    const QString codec = options.Choice(QStringLiteral("codec"), {QStringLiteral("mp3"), QStringLiteral("pcm")});
    const QString channels = options.Choice(QStringLiteral("channels"), {QStringLiteral("1"), QStringLiteral("2")});
    const QString rate = options.Choice(QStringLiteral("rate"), {QStringLiteral("16000"), QStringLiteral("8000")});
    const QString bits = options.Choice(QStringLiteral("bits"), {QStringLiteral("16"), QStringLiteral("8")});
    const int start = options.Count(QStringLiteral("start"));
    const int end = options.Count(QStringLiteral("end"));
    if (options.Problem())
        return run.Usage(*options.Problem());
    // An end of 0 is the end of the file; any other end must come after the start.
    if (end > 0 && end <= start)
        return run.Usage(EmptyRangeText(start, end));

    const QString source = run.Positional()[0];
    const QString destination = run.Positional()[1];
    run.Set(QStringLiteral("source"), source);
    run.Set(QStringLiteral("destination"), destination);
    run.Set(QStringLiteral("start"), start);
    run.Set(QStringLiteral("end"), end);
    run.Set(QStringLiteral("codec"), codec);
    run.Set(QStringLiteral("channels"), channels.toInt());
    run.Set(QStringLiteral("rate"), rate.toInt());
    run.Set(QStringLiteral("bits"), bits.toInt());

    AudioTranscodeWatch watch;
    watch.progress = [&run](double done, double total) { run.Progress().SetAmount(done, total); };
    watch.stop = [] { return InterruptSignal::Requested(); };
    const int result = WatchedTranscodeAudio(
        source, destination, start, end, codec == QLatin1String("mp3") ? FFAPI::ACODEC_MP3 : FFAPI::ACODEC_PCM_S16LE,
        channels == QLatin1String("2") ? FFAPI::ACHANNEL_STEREO : FFAPI::ACHANNEL_MONO,
        rate == QLatin1String("8000") ? FFAPI::ASAMPLERATE_8000 : FFAPI::ASAMPLERATE_16000,
        bits == QLatin1String("8") ? FFAPI::ASAMPLEBIT_U8 : FFAPI::ASAMPLEBIT_S16, watch);
    if (result == TRANSCODE_CANCELLED)
        return run.Interrupted();
    if (result != TRANSCODE_OK) {
        run.Set(QStringLiteral("code"), result);
        return run.Fail(TranscodeResultText(result, source, destination, start, end, watch.systemError));
    }
    run.Set(QStringLiteral("seconds"), GetAudioDuration(QFile::encodeName(destination).constData()));
    return run.Succeed();
}

} // namespace

const CliCommand& ExtractCommand()
{
    static const CliCommand command{
        "extract",
        "SOURCE DEST [--start S] [--end E] [--codec mp3|pcm] [--channels 1|2] [--rate 16000|8000] [--bits 16|8]",
        "the audio of SOURCE into DEST, its format from DEST's extension (seconds S to E; defaults:\n"
        "whole file, mp3, 1 channel, 16000 Hz, 16-bit); prints nothing on success",
        {QStringLiteral("start"), QStringLiteral("end"), QStringLiteral("codec"), QStringLiteral("channels"),
         QStringLiteral("rate"), QStringLiteral("bits")},
        &Run};
    return command;
}
