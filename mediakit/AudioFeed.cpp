#include "mediakit/AudioFeed.h"

#include "mediakit/TrackAudioError.h"

#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
}

bool AudioFeed::Open(const QString& path, QString& error)
{
    m_path = path;
    AVFormatContext* input = nullptr;
    int result = avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, nullptr);
    m_input.reset(input);
    if (result >= 0)
        result = avformat_find_stream_info(input, nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, QStringLiteral("read %1").arg(path), result);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream == AVERROR_STREAM_NOT_FOUND) {
        m_ended = true;
        return true;
    }
    if (stream < 0 || codec == nullptr)
        return TrackAudioError::Note(error, QStringLiteral("decode the sound of %1").arg(path), stream);
    m_stream = stream;
    m_decoder.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_decoder || !m_packet || !m_frame)
        return TrackAudioError::Note(error, QStringLiteral("decode %1").arg(path), AVERROR(ENOMEM));
    result = avcodec_parameters_to_context(m_decoder.get(), input->streams[stream]->codecpar);
    if (result >= 0)
        result = avcodec_open2(m_decoder.get(), codec, nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, QStringLiteral("decode the sound of %1").arg(path), result);
    // Files that leave their channel layout unsaid get the usual one for their channel count.
    if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&m_decoder->ch_layout, m_decoder->ch_layout.nb_channels);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* resampler = nullptr;
    result = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_FLT, kRate, &m_decoder->ch_layout,
                                 m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
    m_resampler.reset(resampler);
    if (result >= 0)
        result = swr_init(resampler);
    return result >= 0 || TrackAudioError::Note(error, QStringLiteral("resample the sound of %1").arg(path), result);
}

bool AudioFeed::Read(size_t frames, std::vector<float>& samples, QString& error)
{
    const size_t wanted = frames * kChannels;
    size_t given = 0;
    while (given < wanted) {
        if (m_taken == m_pending.size()) {
            m_pending.clear();
            m_taken = 0;
            if (m_ended)
                break;
            if (!Decode(error))
                return false;
            continue;
        }
        const size_t count = std::min(wanted - given, m_pending.size() - m_taken);
        samples.insert(samples.end(), m_pending.begin() + long(m_taken), m_pending.begin() + long(m_taken + count));
        m_taken += count;
        given += count;
    }
    return true;
}

bool AudioFeed::Decode(QString& error)
{
    // One packet in, whatever frames it gives out; the end flushes the decoder and the resampler.
    for (;;) {
        int result = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (result >= 0) {
            const bool converted = Convert(m_frame.get(), error);
            av_frame_unref(m_frame.get());
            return converted;
        }
        if (result == AVERROR_EOF) {
            m_ended = true;
            return Convert(nullptr, error);
        }
        if (result != AVERROR(EAGAIN))
            return TrackAudioError::Note(error, QStringLiteral("decode the sound of %1").arg(m_path), result);
        result = av_read_frame(m_input.get(), m_packet.get());
        if (result == AVERROR_EOF) {
            result = avcodec_send_packet(m_decoder.get(), nullptr);
        } else if (result >= 0) {
            if (m_packet->stream_index != m_stream) {
                av_packet_unref(m_packet.get());
                continue;
            }
            result = avcodec_send_packet(m_decoder.get(), m_packet.get());
            av_packet_unref(m_packet.get());
            // A damaged packet costs its few milliseconds, not the whole mix.
            if (result == AVERROR_INVALIDDATA)
                result = 0;
        }
        if (result < 0 && result != AVERROR_EOF)
            return TrackAudioError::Note(error, QStringLiteral("read %1").arg(m_path), result);
    }
}

bool AudioFeed::Convert(const AVFrame* frame, QString& error)
{
    const int count = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(m_resampler.get(), count);
    if (room <= 0)
        return true;
    m_pending.resize(size_t(room) * kChannels);
    auto* out = reinterpret_cast<uint8_t*>(m_pending.data());
    const int made = swr_convert(m_resampler.get(), &out, room,
                                 frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, count);
    if (made < 0)
        return TrackAudioError::Note(error, QStringLiteral("resample the sound of %1").arg(m_path), made);
    m_pending.resize(size_t(made) * kChannels);
    return true;
}
