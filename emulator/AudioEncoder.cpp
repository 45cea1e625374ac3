#include "AudioEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace AudioEncoder {

namespace {

constexpr int kIoBufferBytes = 32 * 1024;
// PCM encoders take frames of any size; the MP3 encoder dictates its own.
constexpr int kPcmFrameSamples = 1024;
constexpr int kResampleBlock = 4096;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const std::uint8_t *;
#else
using WrittenBytes = std::uint8_t *;
#endif

// A seekable in-memory file: the muxers go back to fill in sizes (WAV) and the seek table (MP3)
// once everything is written, which they skip on an output that cannot seek.
struct MemoryFile {
    std::string bytes;
    std::size_t position = 0;
};

int WriteBytes(void *opaque, WrittenBytes data, int size)
{
    auto &file = *static_cast<MemoryFile *>(opaque);
    const auto count = static_cast<std::size_t>(size);
    if (file.position + count > file.bytes.size())
        file.bytes.resize(file.position + count);
    std::memcpy(file.bytes.data() + file.position, data, count);
    file.position += count;
    return size;
}

std::int64_t SeekBytes(void *opaque, std::int64_t offset, int whence)
{
    auto &file = *static_cast<MemoryFile *>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return static_cast<std::int64_t>(file.bytes.size());
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<std::int64_t>(file.position);
    else if (whence == SEEK_END)
        base = static_cast<std::int64_t>(file.bytes.size());
    const std::int64_t target = base + offset;
    if (target < 0)
        return AVERROR(EINVAL);
    file.position = static_cast<std::size_t>(target);
    return target;
}

void Check(int result, const char *what)
{
    if (result >= 0)
        return;
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, reason, sizeof reason);
    throw std::runtime_error(std::string("audio encoding failed to ") + what + ": " + reason);
}

// Everything one encoding needs, freed together however the encoding ends.
struct Pipeline {
    MemoryFile file;
    AVFormatContext *muxer = nullptr;
    AVIOContext *io = nullptr;
    AVCodecContext *encoder = nullptr;
    AVStream *stream = nullptr;
    SwrContext *resampler = nullptr;
    AVAudioFifo *fifo = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    std::int64_t nextPts = 0;
    std::int64_t samplesQueued = 0;

    ~Pipeline()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        if (fifo != nullptr)
            av_audio_fifo_free(fifo);
        swr_free(&resampler);
        avcodec_free_context(&encoder);
        avformat_free_context(muxer);
        if (io != nullptr) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    void Open(SpeechFormat format, int inputRate)
    {
        const bool mp3 = format == SpeechFormat::Mp3;
        const AVCodec *codec = mp3 ? avcodec_find_encoder_by_name("libmp3lame") : avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
        if (codec == nullptr)
            throw std::runtime_error(mp3 ? "no MP3 encoder in this FFmpeg build" : "no PCM encoder in this FFmpeg build");
        encoder = avcodec_alloc_context3(codec);
        if (encoder == nullptr)
            throw std::runtime_error("out of memory for the audio encoder");
        encoder->sample_rate = kSampleRate;
        av_channel_layout_default(&encoder->ch_layout, 1);
        // The MP3 encoder takes planar samples only; for one channel both layouts hold the same bytes.
        encoder->sample_fmt = mp3 ? AV_SAMPLE_FMT_S16P : AV_SAMPLE_FMT_S16;
        encoder->time_base = AVRational{1, kSampleRate};
        if (mp3)
            encoder->bit_rate = kMp3BitRate;

        Check(avformat_alloc_output_context2(&muxer, nullptr, mp3 ? "mp3" : "wav", nullptr), "create the container");
        if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(encoder, codec, nullptr), "open the encoder");
        stream = avformat_new_stream(muxer, nullptr);
        if (stream == nullptr)
            throw std::runtime_error("out of memory for the audio stream");
        Check(avcodec_parameters_from_context(stream->codecpar, encoder), "describe the stream");
        stream->time_base = encoder->time_base;

        auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferBytes));
        io = avio_alloc_context(buffer, kIoBufferBytes, 1, &file, nullptr, WriteBytes, SeekBytes);
        if (io == nullptr) {
            av_free(buffer);
            throw std::runtime_error("out of memory for the audio output");
        }
        muxer->pb = io;
        muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
        Check(avformat_write_header(muxer, nullptr), "write the header");

        AVChannelLayout mono{};
        av_channel_layout_default(&mono, 1);
        Check(swr_alloc_set_opts2(&resampler, &encoder->ch_layout, encoder->sample_fmt, kSampleRate, &mono,
                                  AV_SAMPLE_FMT_S16, inputRate, 0, nullptr),
              "set up resampling");
        Check(swr_init(resampler), "start resampling");
        fifo = av_audio_fifo_alloc(encoder->sample_fmt, 1, kResampleBlock);
        frame = av_frame_alloc();
        packet = av_packet_alloc();
        if (fifo == nullptr || frame == nullptr || packet == nullptr)
            throw std::runtime_error("out of memory for audio frames");
    }

    int FrameSamples() const { return encoder->frame_size > 0 ? encoder->frame_size : kPcmFrameSamples; }

    // Resamples `count` input samples (none flushes the resampler) into the queue.
    void Resample(const std::int16_t *samples, int count)
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(swr_get_out_samples(resampler, count)) + 16);
        auto *outPlane = reinterpret_cast<std::uint8_t *>(out.data());
        const auto *inPlane = reinterpret_cast<const std::uint8_t *>(samples);
        const int made = swr_convert(resampler, &outPlane, static_cast<int>(out.size()), samples ? &inPlane : nullptr, count);
        Check(made, "resample");
        Queue(out.data(), made);
    }

    void Queue(const std::int16_t *samples, int count)
    {
        if (count <= 0)
            return;
        void *plane = const_cast<std::int16_t *>(samples);
        if (av_audio_fifo_write(fifo, &plane, count) < count)
            throw std::runtime_error("out of memory for queued audio");
        samplesQueued += count;
        while (av_audio_fifo_size(fifo) >= FrameSamples())
            EncodeFrame();
    }

    void EncodeFrame()
    {
        av_frame_unref(frame);
        frame->nb_samples = FrameSamples();
        frame->format = encoder->sample_fmt;
        frame->sample_rate = kSampleRate;
        Check(av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout), "describe a frame");
        Check(av_frame_get_buffer(frame, 0), "allocate a frame");
        if (av_audio_fifo_read(fifo, reinterpret_cast<void **>(frame->data), frame->nb_samples) < frame->nb_samples)
            throw std::runtime_error("audio encoding lost queued samples");
        frame->pts = nextPts;
        nextPts += frame->nb_samples;
        Check(avcodec_send_frame(encoder, frame), "encode a frame");
        Drain();
    }

    void Drain()
    {
        for (;;) {
            const int got = avcodec_receive_packet(encoder, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return;
            Check(got, "take an encoded packet");
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            Check(av_interleaved_write_frame(muxer, packet), "write a packet");
        }
    }

    // Pads with silence to the minimum length and to whole frames (the MP3 encoder accepts only
    // full frames), then flushes the encoder and closes the container.
    void Finish()
    {
        Resample(nullptr, 0);
        const std::int64_t minimum = static_cast<std::int64_t>(kSampleRate) * kMinimumMilliseconds / 1000;
        std::int64_t padding = std::max<std::int64_t>(0, minimum - samplesQueued);
        const int frameSamples = FrameSamples();
        padding += (frameSamples - (av_audio_fifo_size(fifo) + padding) % frameSamples) % frameSamples;
        Queue(std::vector<std::int16_t>(static_cast<std::size_t>(padding)).data(), static_cast<int>(padding));
        Check(avcodec_send_frame(encoder, nullptr), "flush the encoder");
        Drain();
        Check(av_write_trailer(muxer), "finish the container");
        avio_flush(io);
    }
};

}  // namespace

std::string Encode(const PcmAudio &pcm, SpeechFormat format)
{
    if (pcm.sampleRate <= 0)
        throw std::runtime_error("audio without a sample rate cannot be encoded");
    Pipeline pipeline;
    pipeline.Open(format, pcm.sampleRate);
    const std::size_t total = pcm.samples.size();
    for (std::size_t offset = 0; offset < total; offset += kResampleBlock) {
        const auto count = static_cast<int>(std::min<std::size_t>(kResampleBlock, total - offset));
        pipeline.Resample(pcm.samples.data() + offset, count);
    }
    pipeline.Finish();
    return std::move(pipeline.file.bytes);
}

}  // namespace AudioEncoder
