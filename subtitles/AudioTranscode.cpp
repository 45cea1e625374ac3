#include "subtitles/AudioTranscode.h"

#include "host/QOVSystem.h"
#include "subtitles/AudioLibrary.h"

#include <QFile>

namespace {

int Transcode(const char* source, const char* destination, int start, int end, int codec, int channel, int rate,
              int bit, QovAudioWatch* watch)
{
    if (start >= 1 && end > 0 && end <= start)
        return TRANSCODE_BAD_RANGE;
    // Without the media libraries nothing can be decoded.
    const AudioLibrary& library = AudioLibrary::Get();
    if (!library.Loaded()) {
        QOVDebugOutput(QStringLiteral("audio extraction unavailable: %1").arg(QString::fromStdString(library.Error())));
        return TRANSCODE_NO_DECODER;
    }
    return library.TranscodeWatched()(source, destination, start, end, codec != 0, channel != 0, rate != 0, bit != 0,
                                      watch);
}

} // namespace

int TranscodeAudio(const char* source, const char* destination, const int& start, const int& end,
                   const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel, const FFAPI::emASampleRate& rate,
                   const FFAPI::emASampleBit& bit)
{
    return Transcode(source, destination, start, end, codec, channel, rate, bit, nullptr);
}

int VideoTranscodeAudio(const QString& source, const QString& destination, const int& start, const int& end,
                        const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel,
                        const FFAPI::emASampleRate& rate, const FFAPI::emASampleBit& bit)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    return TranscodeAudio(from.constData(), to.constData(), start, end, codec, channel, rate, bit);
}

int WatchedTranscodeAudio(const QString& source, const QString& destination, int start, int end,
                          FFAPI::emACodec codec, FFAPI::emAChannel channel, FFAPI::emASampleRate rate,
                          FFAPI::emASampleBit bit, AudioTranscodeWatch& watch)
{
    QovAudioWatch bridge{};
    bridge.context = &watch;
    bridge.progress = [](void* context, double done, double total) {
        if (const auto& progress = static_cast<AudioTranscodeWatch*>(context)->progress)
            progress(done, total);
    };
    bridge.stop = [](void* context) {
        const auto& stop = static_cast<AudioTranscodeWatch*>(context)->stop;
        return stop && stop() ? 1 : 0;
    };
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(destination);
    const int result = Transcode(from.constData(), to.constData(), start, end, codec, channel, rate, bit, &bridge);
    // Nothing was tried when the extraction was refused: no system error, as the bridge says.
    watch.systemError = bridge.systemError;
    return result;
}

double GetAudioDuration(const char* path)
{
    const AudioLibrary& library = AudioLibrary::Get();
    return library.Loaded() ? library.Duration()(path) : -1.0;
}
