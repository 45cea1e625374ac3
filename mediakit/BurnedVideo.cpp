#include "mediakit/BurnedVideo.h"

#include "mediakit/TrackAudioError.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>

namespace {

const QString kDrawing = QStringLiteral("draw the captions");

struct Turn
{
    const char* filter;
    const char* arguments;
};

// A phone stores its picture on its side, with a matrix telling players how to turn it. Captions
// go on the picture as it is watched, so it is turned first, as players turn it; the drawn picture
// then needs no matrix.
std::vector<Turn> Upright(const AVStream* source)
{
    const auto* matrix =
        reinterpret_cast<const int32_t*>(av_stream_get_side_data(source, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix == nullptr)
        return {};
    double angle = -std::round(av_display_rotation_get(matrix));
    angle -= 360.0 * std::floor(angle / 360.0 + 0.9 / 360.0);
    if (std::fabs(angle - 90.0) < 1.0)
        return {{"transpose", matrix[3] > 0 ? "cclock_flip" : "clock"}};
    if (std::fabs(angle - 270.0) < 1.0)
        return {{"transpose", matrix[3] < 0 ? "clock_flip" : "cclock"}};
    std::vector<Turn> turns;
    if (std::fabs(angle - 180.0) < 1.0 && matrix[0] < 0)
        turns.push_back({"hflip", nullptr});
    if ((std::fabs(angle - 180.0) < 1.0 || std::fabs(angle) < 1.0) && matrix[4] < 0)
        turns.push_back({"vflip", nullptr});
    return turns;
}

} // namespace

bool BurnedVideo::Open(AVFormatContext* input, int stream, const Captions& captions, bool globalHeader, QString& error)
{
    const AVStream* source = input->streams[stream];
    const AVCodec* decoding = avcodec_find_decoder(source->codecpar->codec_id);
    if (decoding == nullptr)
        return TrackAudioError::Note(error, QStringLiteral("decode the picture"), AVERROR_DECODER_NOT_FOUND);
    m_decoder.reset(avcodec_alloc_context3(decoding));
    m_frame.reset(av_frame_alloc());
    m_filtered.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_decoder || !m_frame || !m_filtered || !m_packet)
        return TrackAudioError::Note(error, QStringLiteral("decode the picture"), AVERROR(ENOMEM));
    int result = avcodec_parameters_to_context(m_decoder.get(), source->codecpar);
    m_decoder->pkt_timebase = source->time_base;
    m_decoder->thread_count = 0;
    if (result >= 0)
        result = avcodec_open2(m_decoder.get(), decoding, nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, QStringLiteral("decode the picture"), result);
    return OpenFilters(source, captions, error) && OpenEncoder(input, source, globalHeader, error);
}

bool BurnedVideo::OpenFilters(const AVStream* source, const Captions& captions, QString& error)
{
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph)
        return TrackAudioError::Note(error, kDrawing, AVERROR(ENOMEM));
    const AVRational aspect = m_decoder->sample_aspect_ratio.num > 0 ? m_decoder->sample_aspect_ratio : AVRational{1, 1};
    const QByteArray buffer = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
                                  .arg(m_decoder->width)
                                  .arg(m_decoder->height)
                                  .arg(int(m_decoder->pix_fmt))
                                  .arg(source->time_base.num)
                                  .arg(source->time_base.den)
                                  .arg(aspect.num)
                                  .arg(aspect.den)
                                  .toUtf8();
    AVFilterContext* format = nullptr;
    int result = avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in", buffer.constData(),
                                              nullptr, m_graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(&format, avfilter_get_by_name("format"), "format", "pix_fmts=yuv420p",
                                              nullptr, m_graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                              m_graph.get());
    // The source, turned upright.
    AVFilterContext* upright = m_source;
    bool sideways = false;
    for (const Turn& turn : Upright(source)) {
        AVFilterContext* next = nullptr;
        if (result >= 0)
            result = avfilter_graph_create_filter(&next, avfilter_get_by_name(turn.filter), turn.filter, turn.arguments,
                                                  nullptr, m_graph.get());
        if (result >= 0)
            result = avfilter_link(upright, 0, next, 0);
        upright = next;
        sideways = sideways || std::strcmp(turn.filter, "transpose") == 0;
    }
    if (result < 0)
        return TrackAudioError::Note(error, kDrawing, result);
    // Set option by option rather than parsed from a description, so a path with ':' or quotes in it
    // needs no escaping.
    const AVFilter* drawing = avfilter_get_by_name("subtitles");
    if (drawing == nullptr)
        return TrackAudioError::Note(error, kDrawing, AVERROR_FILTER_NOT_FOUND);
    AVFilterContext* captionsFilter = avfilter_graph_alloc_filter(m_graph.get(), drawing, "captions");
    if (captionsFilter == nullptr)
        return TrackAudioError::Note(error, kDrawing, AVERROR(ENOMEM));
    const QByteArray size = (sideways ? QStringLiteral("%2x%1") : QStringLiteral("%1x%2"))
                                .arg(m_decoder->width)
                                .arg(m_decoder->height)
                                .toUtf8();
    result = av_opt_set(captionsFilter, "filename", captions.file.toUtf8().constData(), AV_OPT_SEARCH_CHILDREN);
    if (result >= 0 && !captions.fontsFolder.isEmpty())
        result = av_opt_set(captionsFilter, "fontsdir", captions.fontsFolder.toUtf8().constData(), AV_OPT_SEARCH_CHILDREN);
    if (result >= 0 && !captions.fontFamily.isEmpty())
        result = av_opt_set(captionsFilter, "force_style",
                            QStringLiteral("FontName=%1").arg(captions.fontFamily).toUtf8().constData(),
                            AV_OPT_SEARCH_CHILDREN);
    if (result >= 0)
        result = av_opt_set(captionsFilter, "original_size", size.constData(), AV_OPT_SEARCH_CHILDREN);
    if (result >= 0)
        result = avfilter_init_str(captionsFilter, nullptr);
    if (result >= 0)
        result = avfilter_link(upright, 0, captionsFilter, 0);
    if (result >= 0)
        result = avfilter_link(captionsFilter, 0, format, 0);
    if (result >= 0)
        result = avfilter_link(format, 0, m_sink, 0);
    if (result >= 0)
        result = avfilter_graph_config(m_graph.get(), nullptr);
    return result >= 0 || TrackAudioError::Note(error, kDrawing, result);
}

bool BurnedVideo::OpenEncoder(AVFormatContext* input, const AVStream* source, bool globalHeader, QString& error)
{
    const QString what = QStringLiteral("encode the picture");
    const AVCodec* encoding = avcodec_find_encoder_by_name("libx264");
    if (encoding == nullptr)
        return TrackAudioError::Note(error, what, AVERROR_ENCODER_NOT_FOUND);
    m_encoder.reset(avcodec_alloc_context3(encoding));
    if (!m_encoder)
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    m_encoder->width = av_buffersink_get_w(m_sink);
    m_encoder->height = av_buffersink_get_h(m_sink);
    m_encoder->pix_fmt = AVPixelFormat(av_buffersink_get_format(m_sink));
    m_encoder->sample_aspect_ratio = av_buffersink_get_sample_aspect_ratio(m_sink);
    // The source's own clock, so every frame keeps the time it had.
    m_encoder->time_base = av_buffersink_get_time_base(m_sink);
    m_encoder->framerate = av_guess_frame_rate(input, const_cast<AVStream*>(source), nullptr);
    m_encoder->color_range = m_decoder->color_range;
    m_encoder->colorspace = m_decoder->colorspace;
    m_encoder->color_primaries = m_decoder->color_primaries;
    m_encoder->color_trc = m_decoder->color_trc;
    m_encoder->thread_count = 0;
    if (globalHeader)
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(m_encoder->priv_data, "preset", kPreset, 0);
    av_opt_set_int(m_encoder->priv_data, "crf", kQuality, 0);
    const int result = avcodec_open2(m_encoder.get(), encoding, nullptr);
    return result >= 0 || TrackAudioError::Note(error, what, result);
}

bool BurnedVideo::Add(const AVPacket* packet, std::vector<MediaHandles::Packet>& out, QString& error)
{
    int result = avcodec_send_packet(m_decoder.get(), packet);
    // A damaged packet costs its frame, not the film.
    if (result == AVERROR_INVALIDDATA)
        return true;
    if (result < 0 && result != AVERROR_EOF)
        return TrackAudioError::Note(error, QStringLiteral("decode the picture"), result);
    for (;;) {
        result = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (result == AVERROR(EAGAIN))
            return true;
        if (result == AVERROR_EOF)
            return Filter(nullptr, out, error);
        if (result == AVERROR_INVALIDDATA)
            continue;
        if (result < 0)
            return TrackAudioError::Note(error, QStringLiteral("decode the picture"), result);
        m_frame->pts = m_frame->best_effort_timestamp;
        const bool filtered = Filter(m_frame.get(), out, error);
        av_frame_unref(m_frame.get());
        if (!filtered)
            return false;
    }
}

bool BurnedVideo::Filter(const AVFrame* frame, std::vector<MediaHandles::Packet>& out, QString& error)
{
    int result = av_buffersrc_add_frame_flags(m_source, const_cast<AVFrame*>(frame), AV_BUFFERSRC_FLAG_KEEP_REF);
    if (result < 0)
        return TrackAudioError::Note(error, kDrawing, result);
    for (;;) {
        result = av_buffersink_get_frame(m_sink, m_filtered.get());
        if (result == AVERROR(EAGAIN))
            return true;
        if (result == AVERROR_EOF)
            return Encode(nullptr, out, error);
        if (result < 0)
            return TrackAudioError::Note(error, kDrawing, result);
        m_filtered->pict_type = AV_PICTURE_TYPE_NONE;
        const bool encoded = Encode(m_filtered.get(), out, error);
        av_frame_unref(m_filtered.get());
        if (!encoded)
            return false;
    }
}

bool BurnedVideo::Encode(const AVFrame* frame, std::vector<MediaHandles::Packet>& out, QString& error)
{
    int result = avcodec_send_frame(m_encoder.get(), frame);
    while (result >= 0) {
        result = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result >= 0)
            out.emplace_back(av_packet_clone(m_packet.get()));
        av_packet_unref(m_packet.get());
    }
    return TrackAudioError::Note(error, QStringLiteral("encode the picture"), result);
}
