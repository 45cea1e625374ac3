#include "mediakit/MixedSound.h"

#include "mediakit/AudioFilterChain.h"
#include "mediakit/TrackAudioError.h"

#include <QStringList>

#include <cmath>

namespace {

// Blocks of a tenth of a second: small beside any sound, large enough that the bookkeeping
// between them costs nothing.
constexpr size_t kBlockFrames = AudioFeed::kRate / 10;
constexpr int kAacBitRate = 192000;
constexpr int kOpusBitRate = 160000;
// Where a mix of two sounds is held when it would clip (dBFS).
constexpr double kMixCeilingDb = -1.0;
// The limiter sees the sound at four times its rate, as a true-peak meter does, so the peaks
// between samples are held too.
constexpr int kOversampledRate = AudioFeed::kRate * 4;

double Linear(double db)
{
    return std::pow(10.0, db / 20.0);
}

} // namespace

double MixedSound::Part(double along) const
{
    return (m_pass + std::min(1.0, along)) / m_passes;
}

bool MixedSound::Make(const Plan& plan, const Going& going, EncodedStream& stream, QString& error)
{
    const bool ducking = plan.mode == AudioMixdown::Mode::Duck;
    m_passes = 1 + (ducking ? 1 : 0) + (plan.loudness ? 1 : 0);
    m_pass = 0;
    if (ducking) {
        if (!Listen(plan, going, error))
            return false;
        ++m_pass;
    }
    if (plan.loudness) {
        if (!Measure(plan, going, error))
            return false;
        ++m_pass;
    }
    return Encode(plan, going, stream, error);
}

bool MixedSound::Listen(const Plan& plan, const Going& going, QString& error)
{
    AudioFeed track;
    if (!track.Open(plan.track, error))
        return false;
    std::vector<float> block;
    int64_t position = 0;
    while (!track.Ended() && position < plan.end) {
        if (!going(Part(double(position) / double(plan.end))))
            return false;
        block.clear();
        if (!track.Read(kBlockFrames, block, error))
            return false;
        m_curve.Listen(block.data(), block.size() / AudioFeed::kChannels);
        position += int64_t(block.size() / AudioFeed::kChannels);
    }
    m_curve.Finish(plan.duckDb);
    return true;
}

bool MixedSound::Measure(const Plan& plan, const Going& going, QString& error)
{
    AudioFilterChain meter;
    if (!meter.Open(QStringLiteral("ebur128=metadata=1"), {}, error))
        return false;
    QString loudness;
    // The meter's running integrated loudness: the last frame's is the whole sound's.
    const bool measured = Pass(plan, going, meter, [&loudness](AVFrame* frame) {
        if (const AVDictionaryEntry* entry = av_dict_get(frame->metadata, "lavfi.r128.I", nullptr, 0))
            loudness = QString::fromLatin1(entry->value);
        return true;
    }, error);
    if (!measured)
        return false;
    bool read = false;
    const double value = loudness.toDouble(&read);
    // Silence has no loudness to bring anywhere.
    if (read && std::isfinite(value) && value > -70.0)
        m_measured = value;
    return true;
}

bool MixedSound::Pass(const Plan& plan, const Going& going, AudioFilterChain& chain,
                      const std::function<bool(AVFrame*)>& take, QString& error)
{
    AudioMixdown mix;
    if (!mix.Open(plan.mode, plan.original, plan.track, plan.end, &m_curve, error))
        return false;
    MediaHandles::Frame frame(av_frame_alloc());
    std::vector<float> block;
    for (bool ended = false; !ended;) {
        if (!going(Part(double(mix.Position()) / double(plan.end))))
            return false;
        if (!mix.Next(kBlockFrames, block, error))
            return false;
        ended = block.empty();
        if (!chain.Push(ended ? nullptr : block.data(), block.size() / AudioFeed::kChannels, error))
            return false;
        while (chain.Pull(frame.get(), error)) {
            const bool taken = take(frame.get());
            av_frame_unref(frame.get());
            if (!taken)
                return false;
        }
        if (!error.isEmpty())
            return false;
    }
    m_cut = mix.TrackCut(error);
    return error.isEmpty();
}

QString MixedSound::Filters(const Plan& plan) const
{
    QStringList filters;
    if (plan.loudness && m_measured) {
        filters << QStringLiteral("volume=%1dB").arg(*plan.loudness - *m_measured, 0, 'f', 2)
                << QStringLiteral("aresample=%1").arg(kOversampledRate)
                << QStringLiteral("alimiter=limit=%1:level=0:latency=1").arg(Linear(kPeakDb), 0, 'f', 4)
                << QStringLiteral("aresample=%1").arg(AudioFeed::kRate);
    } else if (plan.mode == AudioMixdown::Mode::Duck || plan.mode == AudioMixdown::Mode::Add) {
        filters << QStringLiteral("alimiter=limit=%1:level=0:latency=1").arg(Linear(kMixCeilingDb), 0, 'f', 4);
    }
    return filters.join(QLatin1Char(','));
}

bool MixedSound::Encode(const Plan& plan, const Going& going, EncodedStream& stream, QString& error)
{
    const QString what = QStringLiteral("encode the sound");
    const AVCodec* codec = plan.opus ? avcodec_find_encoder_by_name("libopus") : avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (plan.opus && codec == nullptr)
        codec = avcodec_find_encoder(AV_CODEC_ID_OPUS);
    if (codec == nullptr)
        return TrackAudioError::Note(error, what, AVERROR_ENCODER_NOT_FOUND);
    MediaHandles::Codec encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    encoder->sample_rate = AudioFeed::kRate;
    encoder->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&encoder->ch_layout, AudioFeed::kChannels);
    encoder->bit_rate = plan.opus ? kOpusBitRate : kAacBitRate;
    encoder->time_base = AVRational{1, AudioFeed::kRate};
    // Both containers keep the decoder's setup in the stream's header.
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(encoder.get(), codec, nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    result = avcodec_parameters_from_context(stream.parameters.get(), encoder.get());
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    stream.timeBase = encoder->time_base;

    AudioFilterChain chain;
    const int frameSize = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) ? 0 : encoder->frame_size;
    if (!chain.Open(Filters(plan), {encoder->sample_fmt, AudioFeed::kRate, frameSize}, error))
        return false;
    MediaHandles::Packet packet(av_packet_alloc());
    // Sends frame (none: the end) and keeps every packet that comes out.
    const auto encode = [&](const AVFrame* frame) {
        int encoded = avcodec_send_frame(encoder.get(), frame);
        while (encoded >= 0) {
            encoded = avcodec_receive_packet(encoder.get(), packet.get());
            if (encoded == AVERROR(EAGAIN) || encoded == AVERROR_EOF)
                return true;
            if (encoded >= 0)
                stream.packets.emplace_back(av_packet_clone(packet.get()));
            av_packet_unref(packet.get());
        }
        return TrackAudioError::Note(error, what, encoded);
    };
    const bool passed = Pass(plan, going, chain, [&](AVFrame* frame) {
        frame->pts = av_rescale_q(frame->pts, chain.TimeBase(), encoder->time_base);
        return encode(frame);
    }, error);
    return passed && encode(nullptr);
}
