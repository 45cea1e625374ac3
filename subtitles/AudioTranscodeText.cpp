#include "subtitles/AudioTranscodeText.h"

#include "subtitles/AudioLibrary.h"
#include "subtitles/TranscodeResult.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

const char* const kUnavailable = "audio extraction is unavailable: %1";
const char* const kCannotOpen = "cannot open %1: %2";
const char* const kNotMedia = "it is not a media file that can be read";
const char* const kNoAudio = "%1 has no audio stream";
const char* const kNoContainer =
    "cannot tell which audio format to write from the name %1: end it in .mp3, .wav or another audio extension";
const char* const kNoStream = "cannot create an audio stream with the chosen codec in %1";
const char* const kNoEncoder = "the encoder refuses the chosen channels, sample rate or sample size for %1";
const char* const kNoDecoder = "cannot decode the audio of %1: its codec is not supported";
const char* const kCannotWrite = "cannot write %1: %2";
const char* const kNotCreatable = "the file cannot be created";
const char* const kNoHeader = "cannot store audio of the chosen codec in %1: choose another codec or file extension";
const char* const kNoResampler = "cannot convert the audio of %1 to the chosen channels, sample rate and sample size";
const char* const kBadRange = "the range is empty: its end (%2 s) is not after its start (%1 s)";
const char* const kCancelled = "the extraction was stopped; %1 was not written";
const char* const kWriteFailed = "writing %1 failed: %2";
const char* const kWriteError = "error %1";

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

QString SystemText(int error)
{
    char buffer[256] = {};
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

std::optional<QString> LibraryMissing()
{
    const AudioLibrary& library = AudioLibrary::Get();
    if (library.Loaded())
        return std::nullopt;
    return Text(kUnavailable).arg(QString::fromStdString(library.Error()));
}

// Why a file that could not be opened for reading failed, when the library did not say.
QString ReadReason(const QString& path, int systemError)
{
    if (systemError != 0)
        return SystemText(systemError);
    const QFileInfo file(path);
    if (!file.exists())
        return SystemText(ENOENT);
    if (file.isDir())
        return SystemText(EISDIR);
    if (!file.isReadable())
        return SystemText(EACCES);
    return Text(kNotMedia);
}

// Why a file could not be created, when the library did not say.
QString WriteReason(const QString& path, int systemError)
{
    if (systemError != 0)
        return SystemText(systemError);
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists())
        return SystemText(ENOENT);
    if (!folder.isDir())
        return SystemText(ENOTDIR);
    if (!folder.isWritable())
        return SystemText(EACCES);
    return Text(kNotCreatable);
}

} // namespace

QString TranscodeResultText(int code, const QString& source, const QString& destination, int start, int end,
                            int systemError)
{
    switch (code) {
    case TRANSCODE_OK:
        return QString();
    case TRANSCODE_CANNOT_OPEN_SOURCE:
        return LibraryMissing().value_or(Text(kCannotOpen).arg(source, ReadReason(source, systemError)));
    case TRANSCODE_NO_AUDIO:
        return Text(kNoAudio).arg(source);
    case TRANSCODE_NO_CONTAINER:
        return Text(kNoContainer).arg(destination);
    case TRANSCODE_NO_STREAM:
        return Text(kNoStream).arg(destination);
    case TRANSCODE_NO_ENCODER:
        return Text(kNoEncoder).arg(destination);
    case TRANSCODE_NO_DECODER:
        return LibraryMissing().value_or(Text(kNoDecoder).arg(source));
    case TRANSCODE_CANNOT_OPEN_DESTINATION:
        return Text(kCannotWrite).arg(destination, WriteReason(destination, systemError));
    case TRANSCODE_NO_HEADER:
        return Text(kNoHeader).arg(destination);
    case TRANSCODE_NO_RESAMPLER:
        return Text(kNoResampler).arg(source);
    case TRANSCODE_BAD_RANGE:
        return EmptyRangeText(start, end);
    case TRANSCODE_CANCELLED:
        return Text(kCancelled).arg(destination);
    default:
        return Text(kWriteFailed)
            .arg(destination, systemError != 0 ? SystemText(systemError) : Text(kWriteError).arg(code));
    }
}

QString DurationResultText(double seconds, const QString& path)
{
    if (seconds >= 0.0)
        return QString();
    if (seconds == -2.0)
        return Text(kNoAudio).arg(path);
    return LibraryMissing().value_or(Text(kCannotOpen).arg(path, ReadReason(path, 0)));
}

QString EmptyRangeText(double start, double end)
{
    return Text(kBadRange).arg(QString::number(start), QString::number(end));
}
