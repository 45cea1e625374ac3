#include "mediakit/TrackEncoder.h"

#include "mediakit/MediaHandles.h"
#include "mediakit/TrackAudioError.h"

#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>

namespace {

// PCM takes frames of any size; the MP3 encoder sets its own.
constexpr int kPcmFrameSamples = 1024;

int16_t ToPcm(float sample)
{
    return int16_t(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767.0F));
}

// True when result is no failure; else error says why.
bool Check(int result, QString& error)
{
    return result >= 0 || TrackAudioError::Note(error, QStringLiteral("write the track"), result);
}

} // namespace

struct TrackEncoder::Encoding
{
    AVFormatContext* output = nullptr;
    MediaHandles::Codec encoder;
    AVStream* stream = nullptr;
    MediaHandles::Frame frame{av_frame_alloc()};
    MediaHandles::Packet packet{av_packet_alloc()};

    ~Encoding()
    {
        if (output != nullptr)
            avio_closep(&output->pb);
        avformat_free_context(output);
    }

    int Open(int rate, bool mp3, const QString& path)
    {
        if (!frame || !packet)
            return AVERROR(ENOMEM);
        const AVCodec* codec =
            mp3 ? avcodec_find_encoder_by_name("libmp3lame") : avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
        if (codec == nullptr)
            return AVERROR_ENCODER_NOT_FOUND;
        encoder.reset(avcodec_alloc_context3(codec));
        if (!encoder)
            return AVERROR(ENOMEM);
        encoder->sample_rate = rate;
        av_channel_layout_default(&encoder->ch_layout, 1);
        // The MP3 encoder takes planar samples only; for one channel both layouts hold the same bytes.
        encoder->sample_fmt = mp3 ? AV_SAMPLE_FMT_S16P : AV_SAMPLE_FMT_S16;
        encoder->time_base = AVRational{1, rate};
        if (mp3)
            encoder->bit_rate = kMp3BitRate;
        const QByteArray name = QFile::encodeName(path);
        int result = avformat_alloc_output_context2(&output, nullptr, mp3 ? "mp3" : "wav", name.constData());
        if (result < 0)
            return result;
        if (output->oformat->flags & AVFMT_GLOBALHEADER)
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        result = avcodec_open2(encoder.get(), codec, nullptr);
        if (result < 0)
            return result;
        stream = avformat_new_stream(output, nullptr);
        if (stream == nullptr)
            return AVERROR(ENOMEM);
        result = avcodec_parameters_from_context(stream->codecpar, encoder.get());
        if (result < 0)
            return result;
        stream->time_base = encoder->time_base;
        result = avio_open(&output->pb, name.constData(), AVIO_FLAG_WRITE);
        return result < 0 ? result : avformat_write_header(output, nullptr);
    }

    int FrameSamples() const { return encoder->frame_size > 0 ? encoder->frame_size : kPcmFrameSamples; }

    // Sends count samples from samples (none: the end) and writes what comes out.
    int Send(const float* samples, int count, int64_t pts)
    {
        int result = 0;
        if (samples != nullptr) {
            av_frame_unref(frame.get());
            frame->nb_samples = count;
            frame->format = encoder->sample_fmt;
            frame->sample_rate = encoder->sample_rate;
            frame->pts = pts;
            result = av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
            if (result >= 0)
                result = av_frame_get_buffer(frame.get(), 0);
            if (result < 0)
                return result;
            auto* pcm = reinterpret_cast<int16_t*>(frame->data[0]);
            std::transform(samples, samples + count, pcm, &ToPcm);
        }
        result = avcodec_send_frame(encoder.get(), samples != nullptr ? frame.get() : nullptr);
        while (result >= 0) {
            result = avcodec_receive_packet(encoder.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return 0;
            if (result < 0)
                return result;
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(output, packet.get());
        }
        return result;
    }
};

TrackEncoder::TrackEncoder() = default;

TrackEncoder::~TrackEncoder() = default;

bool TrackEncoder::Open(int rate, bool mp3, const QString& path, QString& error)
{
    m_encoding = std::make_unique<Encoding>();
    m_pending.clear();
    m_sent = 0;
    return Check(m_encoding->Open(rate, mp3, path), error);
}

bool TrackEncoder::Add(const float* samples, size_t count, QString& error)
{
    // Frames as long as the encoder takes, counted from the track's start, whatever the blocks.
    const size_t step = size_t(m_encoding->FrameSamples());
    m_pending.insert(m_pending.end(), samples, samples + count);
    size_t at = 0;
    int result = 0;
    for (; result >= 0 && m_pending.size() - at >= step; at += step) {
        result = m_encoding->Send(m_pending.data() + at, int(step), m_sent);
        m_sent += int64_t(step);
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + int64_t(at));
    return Check(result, error);
}

bool TrackEncoder::Finish(QString& error)
{
    int result = 0;
    if (!m_pending.empty()) {
        // The last frame may be short: PCM (no frame size of its own) takes it so, MP3's is padded.
        if (m_encoding->encoder->frame_size > 0)
            m_pending.resize(size_t(m_encoding->FrameSamples()), 0.0F);
        result = m_encoding->Send(m_pending.data(), int(m_pending.size()), m_sent);
        m_sent += int64_t(m_pending.size());
        m_pending.clear();
    }
    if (result >= 0)
        result = m_encoding->Send(nullptr, 0, 0);
    if (result >= 0)
        result = av_write_trailer(m_encoding->output);
    return Check(result, error);
}

bool TrackEncoder::Write(const std::vector<float>& samples, int rate, bool mp3, const QString& path, QString& error)
{
    TrackEncoder encoder;
    return encoder.Open(rate, mp3, path, error) && encoder.Add(samples.data(), samples.size(), error) &&
           encoder.Finish(error);
}
