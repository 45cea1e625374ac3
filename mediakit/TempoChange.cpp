#include "mediakit/TempoChange.h"

#include "mediakit/TrackAudioError.h"

#include <QByteArray>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace TempoChange {

namespace {

// Samples handed to the filter at a time.
constexpr int kBlock = 4096;

struct Graph
{
    AVFilterGraph* graph = avfilter_graph_alloc();
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    AVFrame* frame = av_frame_alloc();

    ~Graph()
    {
        av_frame_free(&frame);
        avfilter_graph_free(&graph);
    }

    int Build(int rate, double factor)
    {
        if (graph == nullptr || frame == nullptr)
            return AVERROR(ENOMEM);
        const QByteArray sourceArguments =
            QStringLiteral("sample_rate=%1:sample_fmt=flt:channel_layout=mono:time_base=1/%1").arg(rate).toLatin1();
        int result = avfilter_graph_create_filter(&source, avfilter_get_by_name("abuffer"), "in",
                                                  sourceArguments.constData(), nullptr, graph);
        if (result < 0)
            return result;
        result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph);
        if (result < 0)
            return result;
        const AVSampleFormat formats[] = {AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_NONE};
        result = av_opt_set_int_list(sink, "sample_fmts", formats, AV_SAMPLE_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
        if (result < 0)
            return result;
        AVFilterContext* tempo = nullptr;
        const QByteArray tempoArguments = QByteArray::number(factor, 'f', 6);
        const AVFilter* filter = avfilter_get_by_name("atempo");
        if (filter == nullptr)
            return AVERROR_FILTER_NOT_FOUND;
        result = avfilter_graph_create_filter(&tempo, filter, "tempo", tempoArguments.constData(), nullptr, graph);
        if (result >= 0)
            result = avfilter_link(source, 0, tempo, 0);
        if (result >= 0)
            result = avfilter_link(tempo, 0, sink, 0);
        if (result >= 0)
            result = avfilter_graph_config(graph, nullptr);
        return result;
    }

    int Collect(std::vector<float>& out)
    {
        for (;;) {
            const int result = av_buffersink_get_frame(sink, frame);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return 0;
            if (result < 0)
                return result;
            const auto* data = reinterpret_cast<const float*>(frame->data[0]);
            out.insert(out.end(), data, data + frame->nb_samples);
            av_frame_unref(frame);
        }
    }

    int Feed(const float* samples, int count, int64_t pts, int rate)
    {
        AVFrame* block = av_frame_alloc();
        if (block == nullptr)
            return AVERROR(ENOMEM);
        block->format = AV_SAMPLE_FMT_FLT;
        block->sample_rate = rate;
        block->nb_samples = count;
        block->pts = pts;
        av_channel_layout_default(&block->ch_layout, 1);
        int result = av_frame_get_buffer(block, 0);
        if (result >= 0) {
            std::memcpy(block->data[0], samples, sizeof(float) * size_t(count));
            result = av_buffersrc_add_frame(source, block);
        }
        av_frame_free(&block);
        return result;
    }
};

} // namespace

bool Apply(const std::vector<float>& samples, int rate, double factor, std::vector<float>& out, QString& error)
{
    out.clear();
    out.reserve(size_t(double(samples.size()) / factor) + kBlock);
    Graph graph;
    int result = graph.Build(rate, factor);
    for (size_t at = 0; result >= 0 && at < samples.size(); at += kBlock) {
        const int count = int(std::min<size_t>(kBlock, samples.size() - at));
        result = graph.Feed(samples.data() + at, count, int64_t(at), rate);
        if (result >= 0)
            result = graph.Collect(out);
    }
    if (result >= 0)
        result = av_buffersrc_add_frame(graph.source, nullptr);
    if (result >= 0)
        result = graph.Collect(out);
    return result >= 0 || TrackAudioError::Note(error, QStringLiteral("speed up the speech"), result);
}

} // namespace TempoChange
