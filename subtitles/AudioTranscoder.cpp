#include "subtitles/AudioTranscoder.h"

#include "subtitles/TranscodeResult.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <random>

namespace {

// PCM encoders take any frame size; this many samples per frame keeps the muxer busy.
constexpr int kPcmFrameSamples = 4096;

static_assert(TRANSCODE_CANCELLED == AVERROR_EXIT);

// FFmpeg returns the system's error numbers negated; its own errors are four-letter tags, far
// beyond any system number.
constexpr int kLargestSystemError = 4095;

// The requested format when the encoder offers it, else its planar twin (the MP3 encoder takes
// only planar samples), else the encoder's first.
AVSampleFormat ChooseSampleFormat(const AVCodec* encoder, AVSampleFormat wanted)
{
    if (!encoder->sample_fmts)
        return wanted;
    const AVSampleFormat planar = av_get_planar_sample_fmt(wanted);
    bool hasPlanar = false;
    for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == wanted)
            return wanted;
        hasPlanar = hasPlanar || *f == planar;
    }
    return hasPlanar ? planar : encoder->sample_fmts[0];
}

std::string TemporaryName(const std::string& destination)
{
    // Where the name begins: 0 without a folder, as npos + 1 wraps to 0.
    const size_t name = destination.find_last_of('/') + 1;
    std::random_device random;
    return destination.substr(0, name) + "." + destination.substr(name) + "." + std::to_string(random()) + ".part";
}

} // namespace

AudioTranscoder::AudioTranscoder(std::string source, std::string destination, int start, int end, Output output,
                                 QovAudioWatch* watch)
    : m_source(std::move(source))
    , m_destination(std::move(destination))
    , m_output(output)
    , m_watch(watch)
{
    if (start >= 1)
        m_start = start;
    if (end > 0)
        m_end = end;
}

AudioTranscoder::~AudioTranscoder()
{
    if (m_converted)
        av_freep(&m_converted[0]);
    av_freep(&m_converted);
    av_packet_free(&m_packet);
    av_frame_free(&m_decoded);
    av_frame_free(&m_encoded);
    if (m_fifo)
        av_audio_fifo_free(m_fifo);
    swr_free(&m_resampler);
    avcodec_free_context(&m_encoder);
    avcodec_free_context(&m_decoder);
    if (m_out) {
        if (m_out->pb)
            avio_closep(&m_out->pb);
        avformat_free_context(m_out);
    }
    avformat_close_input(&m_in);
    if (!m_temporary.empty())
        std::remove(m_temporary.c_str());
}

int AudioTranscoder::Run()
{
    for (int (AudioTranscoder::*step)() : {&AudioTranscoder::OpenInput, &AudioTranscoder::OpenOutput,
                                           &AudioTranscoder::OpenResampler, &AudioTranscoder::Pump,
                                           &AudioTranscoder::Finish}) {
        // A step cut short by a stop request fails in its own way; the request is the reason.
        if (StopRequested())
            return TRANSCODE_CANCELLED;
        if (const int result = (this->*step)(); result != TRANSCODE_OK)
            return StopRequested() ? TRANSCODE_CANCELLED : result;
    }
    Report(true);
    return TRANSCODE_OK;
}

int AudioTranscoder::Interrupt(void* transcoder)
{
    return static_cast<const AudioTranscoder*>(transcoder)->StopRequested() ? 1 : 0;
}

bool AudioTranscoder::StopRequested() const
{
    return m_watch && m_watch->stop && m_watch->stop(m_watch->context) != 0;
}

int AudioTranscoder::Failed(int ffmpegError, int code)
{
    if (ffmpegError < 0 && ffmpegError >= -kLargestSystemError)
        m_systemError = -ffmpegError;
    return code;
}

double AudioTranscoder::RangeSeconds() const
{
    double length = 0.0;
    if (m_inStream->duration != AV_NOPTS_VALUE && m_inStream->duration > 0)
        length = double(m_inStream->duration) * av_q2d(m_inStream->time_base);
    else if (m_in->duration != AV_NOPTS_VALUE && m_in->duration > 0)
        length = double(m_in->duration) / AV_TIME_BASE;
    const double to = m_end > 0 && (length <= 0.0 || m_end < length) ? m_end : length;
    return to > m_start ? to - m_start : 0.0;
}

void AudioTranscoder::Report(bool complete)
{
    if (!m_watch || !m_watch->progress)
        return;
    double done = std::max(0.0, m_nextFrameTime - m_start);
    if (m_total > 0.0)
        done = complete ? m_total : std::min(done, m_total);
    m_watch->progress(m_watch->context, done, m_total);
}

int AudioTranscoder::OpenInput()
{
    // The interrupt callback reaches reads that block (a pipe, a stalled network share), so a stop
    // request does not wait for data that may never come.
    if (!(m_in = avformat_alloc_context()))
        return TRANSCODE_CANNOT_OPEN_SOURCE;
    m_in->interrupt_callback = AVIOInterruptCB{&AudioTranscoder::Interrupt, this};
    if (const int opened = avformat_open_input(&m_in, m_source.c_str(), nullptr, nullptr); opened < 0)
        return Failed(opened, TRANSCODE_CANNOT_OPEN_SOURCE);
    // Some containers (transport streams, raw streams) only reveal their codecs when probed.
    avformat_find_stream_info(m_in, nullptr);
    for (unsigned i = 0; i < m_in->nb_streams && !m_inStream; ++i) {
        if (m_in->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            m_inStream = m_in->streams[i];
    }
    if (!m_inStream)
        return TRANSCODE_NO_AUDIO;
    const AVCodec* decoder = avcodec_find_decoder(m_inStream->codecpar->codec_id);
    if (!decoder || !(m_decoder = avcodec_alloc_context3(decoder)) ||
        avcodec_parameters_to_context(m_decoder, m_inStream->codecpar) < 0)
        return TRANSCODE_NO_DECODER;
    m_decoder->pkt_timebase = m_inStream->time_base;
    if (avcodec_open2(m_decoder, decoder, nullptr) < 0 || m_decoder->ch_layout.nb_channels <= 0)
        return TRANSCODE_NO_DECODER;
    if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = m_decoder->ch_layout.nb_channels;
        av_channel_layout_uninit(&m_decoder->ch_layout);
        av_channel_layout_default(&m_decoder->ch_layout, channels);
    }
    return TRANSCODE_OK;
}

int AudioTranscoder::OpenOutput()
{
    if (avformat_alloc_output_context2(&m_out, nullptr, nullptr, m_destination.c_str()) < 0 || !m_out)
        return TRANSCODE_NO_CONTAINER;
    m_out->interrupt_callback = AVIOInterruptCB{&AudioTranscoder::Interrupt, this};
    const AVCodec* encoder = avcodec_find_encoder(m_output.codec);
    if (!encoder || !(m_outStream = avformat_new_stream(m_out, nullptr)) ||
        !(m_encoder = avcodec_alloc_context3(encoder)))
        return TRANSCODE_NO_STREAM;

    m_encoder->sample_rate = m_output.sampleRate;
    av_channel_layout_default(&m_encoder->ch_layout, m_output.channels);
    m_encoder->sample_fmt = ChooseSampleFormat(encoder, m_output.sampleFormat);
    m_encoder->time_base = AVRational{1, m_output.sampleRate};
    m_outStream->time_base = m_encoder->time_base;
    if (m_out->oformat->flags & AVFMT_GLOBALHEADER)
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_encoder, encoder, nullptr) < 0)
        return TRANSCODE_NO_ENCODER;
    if (avcodec_parameters_from_context(m_outStream->codecpar, m_encoder) < 0)
        return TRANSCODE_NO_STREAM;

    if (!(m_out->oformat->flags & AVFMT_NOFILE)) {
        m_temporary = TemporaryName(m_destination);
        if (const int opened = avio_open2(&m_out->pb, m_temporary.c_str(), AVIO_FLAG_WRITE,
                                          &m_out->interrupt_callback, nullptr);
            opened < 0) {
            m_temporary.clear();
            return Failed(opened, TRANSCODE_CANNOT_OPEN_DESTINATION);
        }
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "threads", "auto", 0);
    av_dict_set(&options, "refcounted_frames", "1", 0);
    const int header = avformat_write_header(m_out, &options);
    av_dict_free(&options);
    return header < 0 ? TRANSCODE_NO_HEADER : TRANSCODE_OK;
}

int AudioTranscoder::OpenResampler()
{
    m_fifo = av_audio_fifo_alloc(m_encoder->sample_fmt, m_encoder->ch_layout.nb_channels, 1);
    m_decoded = av_frame_alloc();
    m_encoded = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_fifo || !m_decoded || !m_encoded || !m_packet)
        return TRANSCODE_NO_RESAMPLER;
    const bool same = m_decoder->sample_rate == m_encoder->sample_rate &&
                      m_decoder->sample_fmt == m_encoder->sample_fmt &&
                      av_channel_layout_compare(&m_decoder->ch_layout, &m_encoder->ch_layout) == 0;
    if (same)
        return TRANSCODE_OK;
    if (swr_alloc_set_opts2(&m_resampler, &m_encoder->ch_layout, m_encoder->sample_fmt, m_encoder->sample_rate,
                            &m_decoder->ch_layout, m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr) < 0 ||
        swr_init(m_resampler) < 0)
        return TRANSCODE_NO_RESAMPLER;
    return TRANSCODE_OK;
}

int AudioTranscoder::Pump()
{
    m_origin = m_inStream->start_time != AV_NOPTS_VALUE ? m_inStream->start_time : 0;
    const double timeBase = av_q2d(m_inStream->time_base);
    if (m_start > 0) {
        // Land at or before the start; decoded samples before it are trimmed, so the range stays
        // exact whether or not the container can seek.
        const int64_t target =
            int64_t(m_start * AV_TIME_BASE) + (m_in->start_time != AV_NOPTS_VALUE ? m_in->start_time : 0);
        avformat_seek_file(m_in, -1, INT64_MIN, target, target, 0);
    }
    m_total = RangeSeconds();
    Report(false);
    const auto drainDecoder = [this]() -> int {
        while (!m_reachedEnd && avcodec_receive_frame(m_decoder, m_decoded) == 0) {
            const int result = Decoded(m_decoded);
            av_frame_unref(m_decoded);
            if (result < 0)
                return result;
        }
        return 0;
    };
    while (!m_reachedEnd && av_read_frame(m_in, m_packet) >= 0) {
        if (StopRequested()) {
            av_packet_unref(m_packet);
            return TRANSCODE_CANCELLED;
        }
        if (m_packet->stream_index != m_inStream->index) {
            av_packet_unref(m_packet);
            continue;
        }
        if (m_end > 0 && m_packet->pts != AV_NOPTS_VALUE && double(m_packet->pts - m_origin) * timeBase >= m_end) {
            av_packet_unref(m_packet);
            break;
        }
        const int sent = avcodec_send_packet(m_decoder, m_packet);
        av_packet_unref(m_packet);
        if (sent < 0)
            continue; // a damaged packet costs its own samples only
        if (const int result = drainDecoder(); result < 0)
            return result;
        Report(false);
    }
    // A read that a stop request interrupted looks like the end of the input: the output must not
    // be finished as though it were.
    if (StopRequested())
        return TRANSCODE_CANCELLED;
    // Unlike a bare loop over packets, the decoder, resampler and encoder all give up what they
    // still hold, so the tail of the audio is not lost.
    avcodec_send_packet(m_decoder, nullptr);
    if (const int result = drainDecoder(); result < 0)
        return result;
    if (m_resampler) {
        if (const int result = Convert(nullptr, 0); result < 0)
            return result;
    }
    return EncodeFromFifo(true);
}

int AudioTranscoder::Decoded(AVFrame* frame)
{
    const int samples = frame->nb_samples;
    const double rate = frame->sample_rate > 0 ? frame->sample_rate : m_decoder->sample_rate;
    double begins = m_nextFrameTime;
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
        begins = double(frame->best_effort_timestamp - m_origin) * av_q2d(m_inStream->time_base);
    m_nextFrameTime = begins + samples / rate;

    int first = 0;
    int last = samples;
    if (m_start > 0)
        first = int(std::clamp<long long>(std::llround((m_start - begins) * rate), 0, samples));
    if (m_end > 0) {
        last = int(std::clamp<long long>(std::llround((m_end - begins) * rate), 0, samples));
        m_reachedEnd = last < samples;
    }
    if (last <= first)
        return 0;

    const AVSampleFormat format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const int step = av_get_bytes_per_sample(format) * (planar ? 1 : channels);
    const uint8_t* planes[AV_NUM_DATA_POINTERS * 4] = {};
    const int planeCount = std::min<int>(planar ? channels : 1, int(std::size(planes)));
    for (int p = 0; p < planeCount; ++p)
        planes[p] = frame->extended_data[p] + ptrdiff_t(first) * step;
    return Convert(planes, last - first);
}

int AudioTranscoder::Convert(const uint8_t* const* input, int samples)
{
    if (!m_resampler) {
        if (av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(const_cast<uint8_t**>(input)), samples) <
            samples)
            return AVERROR(ENOMEM);
        return EncodeFromFifo(false);
    }
    // Without input the resampler gives up the samples it still holds.
    for (;;) {
        const int capacity = swr_get_out_samples(m_resampler, samples) + 16;
        if (capacity > m_convertedCapacity) {
            if (m_converted)
                av_freep(&m_converted[0]);
            av_freep(&m_converted);
            if (av_samples_alloc_array_and_samples(&m_converted, nullptr, m_encoder->ch_layout.nb_channels, capacity,
                                                   m_encoder->sample_fmt, 0) < 0)
                return AVERROR(ENOMEM);
            m_convertedCapacity = capacity;
        }
        const int converted = swr_convert(m_resampler, m_converted, capacity, const_cast<const uint8_t**>(input), samples);
        if (converted > 0 &&
            av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(m_converted), converted) < converted)
            return AVERROR(ENOMEM);
        if (input || converted <= 0)
            break;
    }
    return EncodeFromFifo(false);
}

int AudioTranscoder::EncodeFromFifo(bool final)
{
    const int frameSize = m_encoder->frame_size > 0 ? m_encoder->frame_size : kPcmFrameSamples;
    const bool shortFrames = m_encoder->frame_size <= 0 ||
                             (m_encoder->codec->capabilities &
                              (AV_CODEC_CAP_VARIABLE_FRAME_SIZE | AV_CODEC_CAP_SMALL_LAST_FRAME));
    const int channels = m_encoder->ch_layout.nb_channels;
    for (int available = av_audio_fifo_size(m_fifo); available >= frameSize || (final && available > 0);
         available = av_audio_fifo_size(m_fifo)) {
        const int take = std::min(available, frameSize);
        av_frame_unref(m_encoded);
        m_encoded->nb_samples = take < frameSize && !shortFrames ? frameSize : take;
        m_encoded->format = m_encoder->sample_fmt;
        m_encoded->sample_rate = m_encoder->sample_rate;
        if (av_channel_layout_copy(&m_encoded->ch_layout, &m_encoder->ch_layout) < 0 ||
            av_frame_get_buffer(m_encoded, 0) < 0)
            return AVERROR(ENOMEM);
        if (m_encoded->nb_samples > take)
            av_samples_set_silence(m_encoded->extended_data, take, m_encoded->nb_samples - take, channels,
                                   m_encoder->sample_fmt);
        av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_encoded->extended_data), take);
        m_encoded->pts = m_samplesSent;
        m_samplesSent += m_encoded->nb_samples;
        if (const int result = SendFrame(m_encoded); result < 0)
            return result;
    }
    return final ? SendFrame(nullptr) : 0;
}

int AudioTranscoder::SendFrame(AVFrame* frame)
{
    if (avcodec_send_frame(m_encoder, frame) < 0)
        return 0; // a frame the encoder refuses is dropped, as a damaged input packet is
    while (avcodec_receive_packet(m_encoder, m_packet) == 0) {
        av_packet_rescale_ts(m_packet, m_encoder->time_base, m_outStream->time_base);
        m_packet->stream_index = m_outStream->index;
        if (const int written = av_interleaved_write_frame(m_out, m_packet); written < 0)
            return Failed(written, written);
    }
    return 0;
}

int AudioTranscoder::Finish()
{
    if (const int trailer = av_write_trailer(m_out); trailer < 0)
        return Failed(trailer, trailer);
    if (m_out->pb) {
        if (const int closed = avio_closep(&m_out->pb); closed < 0)
            return Failed(closed, closed);
    }
    if (!m_temporary.empty()) {
        if (std::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
            return Failed(AVERROR(errno), TRANSCODE_CANNOT_OPEN_DESTINATION);
        m_temporary.clear();
    }
    return TRANSCODE_OK;
}
