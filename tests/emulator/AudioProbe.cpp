#include "AudioProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace audio_probe {

namespace {

double SampleAt(const AVFrame &frame, int index)
{
    switch (frame.format) {
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S16P:
        return reinterpret_cast<const std::int16_t *>(frame.data[0])[index] / 32768.0;
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_FLTP:
        return reinterpret_cast<const float *>(frame.data[0])[index];
    default:
        return 0;
    }
}

struct Decoding {
    AVFormatContext *input = nullptr;
    AVCodecContext *decoder = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    double sumOfSquares = 0;

    ~Decoding()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }

    void Receive(AudioFacts &facts)
    {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            for (int i = 0; i < frame->nb_samples; ++i)
                sumOfSquares += std::pow(SampleAt(*frame, i), 2);
            facts.samples += frame->nb_samples;
        }
    }
};

AudioFacts Decode(const std::string &path)
{
    AudioFacts facts;
    // The MP3 decoder warns about the encoder delay it trims; that is expected, not news.
    av_log_set_level(AV_LOG_ERROR);
    Decoding run;
    if (avformat_open_input(&run.input, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(run.input, nullptr) < 0)
        return facts;
    const AVCodec *codec = nullptr;
    const int stream = av_find_best_stream(run.input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || codec == nullptr)
        return facts;
    run.decoder = avcodec_alloc_context3(codec);
    if (avcodec_parameters_to_context(run.decoder, run.input->streams[stream]->codecpar) < 0 ||
        avcodec_open2(run.decoder, codec, nullptr) < 0)
        return facts;
    facts.codec = avcodec_get_name(codec->id);
    facts.sampleRate = run.decoder->sample_rate;
    facts.channels = run.decoder->ch_layout.nb_channels;
    while (av_read_frame(run.input, run.packet) >= 0) {
        if (run.packet->stream_index == stream && avcodec_send_packet(run.decoder, run.packet) == 0)
            run.Receive(facts);
        av_packet_unref(run.packet);
    }
    avcodec_send_packet(run.decoder, nullptr);
    run.Receive(facts);
    facts.decoded = facts.samples > 0;
    facts.rms = facts.samples > 0 ? std::sqrt(run.sumOfSquares / static_cast<double>(facts.samples)) : 0;
    return facts;
}

}  // namespace

AudioFacts Probe(const std::string &bytes)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("qov-audio-probe-" + std::to_string(std::random_device{}()));
    {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const AudioFacts facts = Decode(path.string());
    std::filesystem::remove(path);
    return facts;
}

}  // namespace audio_probe
