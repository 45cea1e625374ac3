#include "AudioDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace AudioDecoder {

namespace {

constexpr int kIoBufferBytes = 64 * 1024;
constexpr const char *kRawFormat = "s16le";

// The file region as the demuxer sees it: a seekable file of `length` bytes.
struct Region {
    int fd = -1;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint64_t position = 0;
};

int ReadRegion(void *opaque, std::uint8_t *buffer, int size)
{
    auto &region = *static_cast<Region *>(opaque);
    if (region.position >= region.length)
        return AVERROR_EOF;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, region.length - region.position));
    ssize_t got = 0;
    do {
        got = pread(region.fd, buffer, wanted, static_cast<off_t>(region.offset + region.position));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return AVERROR(errno);
    if (got == 0)
        return AVERROR_EOF;
    region.position += static_cast<std::uint64_t>(got);
    return static_cast<int>(got);
}

std::int64_t SeekRegion(void *opaque, std::int64_t offset, int whence)
{
    auto &region = *static_cast<Region *>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return static_cast<std::int64_t>(region.length);
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<std::int64_t>(region.position);
    else if (whence == SEEK_END)
        base = static_cast<std::int64_t>(region.length);
    const std::int64_t target = base + offset;
    if (target < 0)
        return AVERROR(EINVAL);
    region.position = static_cast<std::uint64_t>(target);
    return target;
}

std::string Reason(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// Everything one decoding holds, freed together however it ends.
struct Decoding {
    Region region;
    AVIOContext *io = nullptr;
    AVFormatContext *input = nullptr;
    AVCodecContext *decoder = nullptr;
    SwrContext *resampler = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    int stream = -1;
    std::vector<std::int16_t> converted;

    ~Decoding()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    // Empty on success, else what kept the audio from being opened.
    std::string Open(const AudioSource &source)
    {
        region = {source.fd, source.offset, source.length, 0};
        auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferBytes));
        io = buffer ? avio_alloc_context(buffer, kIoBufferBytes, 0, &region, ReadRegion, nullptr, SeekRegion) : nullptr;
        input = avformat_alloc_context();
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        if (io == nullptr || input == nullptr || packet == nullptr || frame == nullptr) {
            if (io == nullptr)
                av_free(buffer);
            return "out of memory";
        }
        input->pb = io;
        input->flags |= AVFMT_FLAG_CUSTOM_IO;

        const AVInputFormat *format = nullptr;
        AVDictionary *options = nullptr;
        if (source.raw) {
            format = av_find_input_format(kRawFormat);
            av_dict_set_int(&options, "sample_rate", source.rawSampleRate, 0);
        }
        const int opened = avformat_open_input(&input, nullptr, format, &options);
        av_dict_free(&options);
        if (opened < 0)
            return "not audio FFmpeg can read (" + Reason(opened) + ")";
        if (const int found = avformat_find_stream_info(input, nullptr); found < 0)
            return "the audio's streams cannot be read (" + Reason(found) + ")";
        const AVCodec *codec = nullptr;
        stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream < 0 || codec == nullptr)
            return "the file holds no audio stream FFmpeg can decode";
        decoder = avcodec_alloc_context3(codec);
        if (decoder == nullptr ||
            avcodec_parameters_to_context(decoder, input->streams[stream]->codecpar) < 0 ||
            avcodec_open2(decoder, codec, nullptr) < 0)
            return "the audio decoder cannot be opened";
        return {};
    }

    // Set up on the first frame, whose layout and rate the decoder knows for certain.
    bool OpenResampler()
    {
        AVChannelLayout in{};
        if (frame->ch_layout.nb_channels > 0 && frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_copy(&in, &frame->ch_layout);
        else
            av_channel_layout_default(&in, std::max(1, frame->ch_layout.nb_channels));
        AVChannelLayout mono{};
        av_channel_layout_default(&mono, 1);
        const int made = swr_alloc_set_opts2(&resampler, &mono, AV_SAMPLE_FMT_S16, kSampleRate, &in,
                                             static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        return made >= 0 && swr_init(resampler) >= 0;
    }

    // Resamples the decoded frame (or, with none, what the resampler still holds) into the sink.
    bool Convert(const AVFrame *input, const Sink &sink, std::uint64_t &total)
    {
        const int in = input ? input->nb_samples : 0;
        converted.resize(static_cast<std::size_t>(swr_get_out_samples(resampler, in)) + 32);
        auto *out = reinterpret_cast<std::uint8_t *>(converted.data());
        const int made = swr_convert(resampler, &out, static_cast<int>(converted.size()),
                                     input ? const_cast<const std::uint8_t **>(input->extended_data) : nullptr, in);
        if (made < 0)
            return false;
        if (made > 0)
            sink(converted.data(), static_cast<std::size_t>(made));
        total += static_cast<std::uint64_t>(made);
        return true;
    }
};

bool Cancelled(const std::atomic<bool> *cancel) { return cancel != nullptr && cancel->load(); }

}  // namespace

Result Decode(const AudioSource &source, const Sink &sink, std::uint64_t maxSamples, const std::atomic<bool> *cancel)
{
    // Damaged input makes the decoders chatter on standard error; the result says what matters.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });

    Result result;
    Decoding decoding;
    if (std::string error = decoding.Open(source); !error.empty()) {
        result.error = std::move(error);
        return result;
    }

    bool draining = false;
    while (!draining) {
        if (Cancelled(cancel)) {
            result.status = Status::Cancelled;
            result.error = "recognition was stopped";
            return result;
        }
        const int read = av_read_frame(decoding.input, decoding.packet);
        if (read < 0) {
            draining = true;
            avcodec_send_packet(decoding.decoder, nullptr);
        } else {
            if (decoding.packet->stream_index == decoding.stream)
                avcodec_send_packet(decoding.decoder, decoding.packet);  // a damaged packet is skipped
            av_packet_unref(decoding.packet);
        }
        while (avcodec_receive_frame(decoding.decoder, decoding.frame) == 0) {
            const bool ready = decoding.resampler != nullptr || decoding.OpenResampler();
            const bool converted = ready && decoding.Convert(decoding.frame, sink, result.samples);
            av_frame_unref(decoding.frame);
            if (!converted) {
                result.error = "the audio cannot be converted to 16 kHz mono";
                return result;
            }
            if (result.samples > maxSamples) {
                result.status = Status::TooLong;
                result.error = "the audio is longer than this service takes";
                return result;
            }
        }
    }
    if (decoding.resampler != nullptr && !decoding.Convert(nullptr, sink, result.samples)) {
        result.error = "the audio cannot be converted to 16 kHz mono";
        return result;
    }
    result.status = Status::Decoded;
    return result;
}

}  // namespace AudioDecoder
