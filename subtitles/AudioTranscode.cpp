#include "subtitles/AudioTranscode.h"

#include "subtitles/AudioTranscoder.h"

#include <QFile>

extern "C" {
#include <libavformat/avformat.h>
}

int TranscodeAudio(const char* source, const char* destination, const int& start, const int& end,
                   const FFAPI::emACodec& codec, const FFAPI::emAChannel& channel, const FFAPI::emASampleRate& rate,
                   const FFAPI::emASampleBit& bit)
{
    if (start >= 1 && end > 0 && end <= start)
        return TRANSCODE_BAD_RANGE;
    AudioTranscoder::Output output;
    const bool eightBit = bit != 0;
    output.codec = codec != 0 ? AV_CODEC_ID_MP3 : (eightBit ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE);
    output.channels = channel != 0 ? 2 : 1;
    output.sampleRate = rate != 0 ? 8000 : 16000;
    output.sampleFormat = eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    AudioTranscoder transcoder(source ? source : "", destination ? destination : "", start, end, output);
    return transcoder.Run();
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
    AVFormatContext* input = nullptr;
    if (!path || avformat_open_input(&input, path, nullptr, nullptr) < 0)
        return -1.0;
    const auto declared = [input]() -> const AVStream* {
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                return input->streams[i];
        }
        return nullptr;
    };
    const AVStream* stream = declared();
    // Containers that declare nothing up front (raw MP3 without a header frame, for one) are
    // probed instead of reporting a meaningless number.
    if (!stream || stream->duration == AV_NOPTS_VALUE) {
        avformat_find_stream_info(input, nullptr);
        stream = declared();
    }
    double seconds = -2.0;
    if (stream) {
        if (stream->duration != AV_NOPTS_VALUE)
            seconds = double(stream->time_base.num) / double(stream->time_base.den) * double(stream->duration);
        else if (input->duration != AV_NOPTS_VALUE)
            seconds = double(input->duration) / AV_TIME_BASE;
        else
            seconds = 0.0;
    }
    avformat_close_input(&input);
    return seconds;
}
