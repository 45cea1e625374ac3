#include "subtitles/AudioTranscode.h"

#include "host/QOVSystem.h"
#include "subtitles/AudioLibrary.h"

#include <QFile>

int TranscodeAudio(const char* source, const char* destination, const int& start, const int& end,
                   const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel, const FFAPI::emASampleRate& rate,
                   const FFAPI::emASampleBit& bit)
{
    if (start >= 1 && end > 0 && end <= start)
        return TRANSCODE_BAD_RANGE;
    const AudioLibrary& library = AudioLibrary::Get();
    if (!library.Loaded()) {
        // Without the media libraries nothing can be decoded.
        QOVDebugOutput(QStringLiteral("audio extraction unavailable: %1").arg(QString::fromStdString(library.Error())));
        return TRANSCODE_NO_DECODER;
    }
    return library.Transcode()(source, destination, start, end, codec != 0, channel != 0, rate != 0, bit != 0);
}

int VideoTranscodeAudio(const QString& source, const QString& destination, const int& start, const int& end,
                        const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel,
                        const FFAPI::emASampleRate& rate, const FFAPI::emASampleBit& bit)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    return TranscodeAudio(from.constData(), to.constData(), start, end, codec, channel, rate, bit);
}

double GetAudioDuration(const char* path)
{
    const AudioLibrary& library = AudioLibrary::Get();
    return library.Loaded() ? library.Duration()(path) : -1.0;
}
