#include "mediakit/AudioFilterChain.h"

#include "mediakit/TrackAudioError.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
}

#include <cstring>

bool AudioFilterChain::Open(const QString& filters, const Setup& setup, QString& error)
{
    m_setup = setup;
    const QString& what = setup.setUp;
    const char* const layout = setup.channels == 1 ? "mono" : "stereo";
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph)
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    // One thread: the chains are short, and the cores are the picture's.
    m_graph->nb_threads = 1;
    const QByteArray source = QStringLiteral("sample_rate=%1:sample_fmt=flt:channel_layout=%2:time_base=1/%1")
                                  .arg(setup.rate)
                                  .arg(QLatin1String(layout))
                                  .toUtf8();
    int result = avfilter_graph_create_filter(&m_source, avfilter_get_by_name("abuffer"), "in", source.constData(),
                                              nullptr, m_graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                              m_graph.get());
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    // The format the consumer takes is the chain's last step, so the chain converts to it.
    const QByteArray chain = QStringLiteral("%1%2aformat=sample_fmts=%3:sample_rates=%4:channel_layouts=%5")
                                 .arg(filters, filters.isEmpty() ? QString() : QStringLiteral(","),
                                      QString::fromLatin1(av_get_sample_fmt_name(setup.format)))
                                 .arg(setup.rate)
                                 .arg(QLatin1String(layout))
                                 .toUtf8();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    AVFilterInOut* outputs = avfilter_inout_alloc();
    if (inputs == nullptr || outputs == nullptr) {
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    result = avfilter_graph_parse_ptr(m_graph.get(), chain.constData(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (result >= 0)
        result = avfilter_graph_config(m_graph.get(), nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    if (setup.frameSize > 0)
        av_buffersink_set_frame_size(m_sink, unsigned(setup.frameSize));
    return true;
}

bool AudioFilterChain::Push(const float* samples, size_t frames, QString& error)
{
    if (samples == nullptr) {
        const int result = av_buffersrc_add_frame_flags(m_source, nullptr, 0);
        return result >= 0 || TrackAudioError::Note(error, m_setup.filtering, result);
    }
    MediaHandles::Frame frame(av_frame_alloc());
    if (!frame)
        return TrackAudioError::Note(error, m_setup.filtering, AVERROR(ENOMEM));
    frame->format = AV_SAMPLE_FMT_FLT;
    frame->sample_rate = m_setup.rate;
    frame->nb_samples = int(frames);
    frame->pts = m_position;
    av_channel_layout_default(&frame->ch_layout, m_setup.channels);
    int result = av_frame_get_buffer(frame.get(), 0);
    if (result >= 0) {
        std::memcpy(frame->data[0], samples, frames * size_t(m_setup.channels) * sizeof(float));
        result = av_buffersrc_add_frame_flags(m_source, frame.get(), AV_BUFFERSRC_FLAG_KEEP_REF);
    }
    m_position += int64_t(frames);
    return result >= 0 || TrackAudioError::Note(error, m_setup.filtering, result);
}

bool AudioFilterChain::Pull(AVFrame* frame, QString& error)
{
    const int result = av_buffersink_get_frame(m_sink, frame);
    if (result >= 0)
        return true;
    if (result != AVERROR(EAGAIN) && result != AVERROR_EOF)
        TrackAudioError::Note(error, m_setup.filtering, result);
    return false;
}

AVRational AudioFilterChain::TimeBase() const
{
    return av_buffersink_get_time_base(m_sink);
}
