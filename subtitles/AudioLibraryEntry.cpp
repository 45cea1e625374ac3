#include "subtitles/AudioLibraryEntry.h"

#include "mediakit/AudioLibraryLog.h"
#include "subtitles/AudioTranscoder.h"
#include "subtitles/TranscodeResult.h"

extern "C" {
#include <libavformat/avformat.h>
}

int qov_audio_transcode_watched(const char* source, const char* destination, int start, int end, int mp3,
                                int stereo, int rate8000, int unsigned8, QovAudioWatch* watch)
{
    if (watch)
        watch->systemError = 0;
    if (start >= 1 && end > 0 && end <= start)
        return TRANSCODE_BAD_RANGE;
    const AudioLibraryLog quiet;
    AudioTranscoder::Output output;
    // 8-bit PCM has its own codec: the 16-bit one would refuse the samples.
    output.codec = mp3 ? AV_CODEC_ID_MP3 : (unsigned8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE);
    output.channels = stereo ? 2 : 1;
    output.sampleRate = rate8000 ? 8000 : 16000;
    output.sampleFormat = unsigned8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    AudioTranscoder transcoder(source ? source : "", destination ? destination : "", start, end, output, watch);
    const int result = transcoder.Run();
    if (watch)
        watch->systemError = transcoder.SystemError();
    return result;
}

double qov_audio_duration(const char* path)
{
    const AudioLibraryLog quiet;
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
