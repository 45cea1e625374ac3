#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <memory>

// Owners of the media libraries' objects, so that every way out of a step frees what it made.
namespace MediaHandles {

// Deletes an object with the library's own function for it, which takes its address and clears it.
template <auto Free>
struct Freer
{
    template <typename T>
    void operator()(T* object) const
    {
        Free(&object);
    }
};

using Input = std::unique_ptr<AVFormatContext, Freer<&avformat_close_input>>;
using Codec = std::unique_ptr<AVCodecContext, Freer<&avcodec_free_context>>;
using Frame = std::unique_ptr<AVFrame, Freer<&av_frame_free>>;
using Packet = std::unique_ptr<AVPacket, Freer<&av_packet_free>>;
using Graph = std::unique_ptr<AVFilterGraph, Freer<&avfilter_graph_free>>;
using Parameters = std::unique_ptr<AVCodecParameters, Freer<&avcodec_parameters_free>>;
using Resampler = std::unique_ptr<SwrContext, Freer<&swr_free>>;

} // namespace MediaHandles
