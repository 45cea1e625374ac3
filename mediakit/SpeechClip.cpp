#include "mediakit/SpeechClip.h"

#include "mediakit/MediaHandles.h"
#include "mediakit/TrackAudioError.h"

#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace SpeechClip {

namespace {

// Everything one decoding holds, freed together however it ends.
struct Decoding
{
    MediaHandles::Input input;
    MediaHandles::Codec decoder;
    MediaHandles::Resampler resampler;
    MediaHandles::Packet packet{av_packet_alloc()};
    MediaHandles::Frame frame{av_frame_alloc()};
    int stream = -1;
    int rate = 0;

    bool Open(const QString& path, int wantedRate, QString& error)
    {
        AVFormatContext* opened = nullptr;
        int result = avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, nullptr);
        input.reset(opened);
        if (result >= 0)
            result = avformat_find_stream_info(opened, nullptr);
        if (result < 0)
            return TrackAudioError::Note(error, QStringLiteral("read %1").arg(path), result);
        const AVCodec* codec = nullptr;
        stream = av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream < 0 || codec == nullptr)
            return TrackAudioError::Note(error, QStringLiteral("find speech in %1").arg(path), stream);
        decoder.reset(avcodec_alloc_context3(codec));
        if (!decoder || !packet || !frame)
            return TrackAudioError::Note(error, QStringLiteral("decode %1").arg(path), AVERROR(ENOMEM));
        result = avcodec_parameters_to_context(decoder.get(), opened->streams[stream]->codecpar);
        if (result >= 0)
            result = avcodec_open2(decoder.get(), codec, nullptr);
        if (result < 0)
            return TrackAudioError::Note(error, QStringLiteral("decode %1").arg(path), result);
        rate = wantedRate > 0 ? wantedRate : decoder->sample_rate;
        AVChannelLayout mono{};
        av_channel_layout_default(&mono, 1);
        SwrContext* made = nullptr;
        result = swr_alloc_set_opts2(&made, &mono, AV_SAMPLE_FMT_FLT, rate, &decoder->ch_layout, decoder->sample_fmt,
                                     decoder->sample_rate, 0, nullptr);
        resampler.reset(made);
        if (result >= 0)
            result = swr_init(made);
        return result >= 0 || TrackAudioError::Note(error, QStringLiteral("resample %1").arg(path), result);
    }

    // in: a decoded frame, or none to flush what the resampler holds.
    bool Convert(const AVFrame* in, std::vector<float>& samples)
    {
        const int count = in ? in->nb_samples : 0;
        const int room = swr_get_out_samples(resampler.get(), count);
        if (room <= 0)
            return room == 0;
        const size_t before = samples.size();
        samples.resize(before + size_t(room));
        auto* out = reinterpret_cast<uint8_t*>(samples.data() + before);
        const int made = swr_convert(resampler.get(), &out, room,
                                     in ? const_cast<const uint8_t**>(in->extended_data) : nullptr, count);
        samples.resize(before + size_t(made > 0 ? made : 0));
        return made >= 0;
    }

    // Sends packet (none: the end) and converts every frame that comes out.
    bool Drain(const AVPacket* sent, std::vector<float>& samples, QString& error)
    {
        int result = avcodec_send_packet(decoder.get(), sent);
        // A damaged packet in an otherwise readable file costs that packet only.
        if (result < 0 && result != AVERROR_INVALIDDATA && result != AVERROR_EOF)
            return TrackAudioError::Note(error, QStringLiteral("decode the speech"), result);
        for (;;) {
            result = avcodec_receive_frame(decoder.get(), frame.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result == AVERROR_INVALIDDATA)
                continue;
            if (result < 0)
                return TrackAudioError::Note(error, QStringLiteral("decode the speech"), result);
            const bool converted = Convert(frame.get(), samples);
            av_frame_unref(frame.get());
            if (!converted)
                return TrackAudioError::Note(error, QStringLiteral("resample the speech"), AVERROR(EINVAL));
        }
    }
};

} // namespace

bool Decode(const QString& path, int rate, std::vector<float>& samples, int& sampleRate, QString& error)
{
    samples.clear();
    Decoding decoding;
    if (!decoding.Open(path, rate, error))
        return false;
    for (;;) {
        const int result = av_read_frame(decoding.input.get(), decoding.packet.get());
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return TrackAudioError::Note(error, QStringLiteral("read %1").arg(path), result);
        const bool ours = decoding.packet->stream_index == decoding.stream;
        const bool drained = !ours || decoding.Drain(decoding.packet.get(), samples, error);
        av_packet_unref(decoding.packet.get());
        if (!drained)
            return false;
    }
    if (!decoding.Drain(nullptr, samples, error) || !decoding.Convert(nullptr, samples))
        return error.isEmpty() ? TrackAudioError::Note(error, QStringLiteral("resample the speech"), AVERROR(EINVAL))
                               : false;
    sampleRate = decoding.rate;
    return true;
}

} // namespace SpeechClip
