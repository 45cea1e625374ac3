#pragma once

#include "mediakit/MediaHandles.h"

#include <QString>

#include <cstddef>

// Interleaved stereo floats at the mix's rate through a chain of libavfilter's audio filters
// ("volume=-3dB,alimiter=..."), pulled out as frames in the format a consumer names.
class AudioFilterChain
{
public:
    struct Output
    {
        AVSampleFormat format = AV_SAMPLE_FMT_FLT;
        int rate = 48000;
        // Samples a frame; 0: as the filters give them.
        int frameSize = 0;
    };

    AudioFilterChain() = default;
    AudioFilterChain(const AudioFilterChain&) = delete;
    AudioFilterChain& operator=(const AudioFilterChain&) = delete;

    bool Open(const QString& filters, const Output& output, QString& error);
    // frames interleaved stereo frames; none (stereo null) ends the input.
    bool Push(const float* stereo, size_t frames, QString& error);
    // The next frame out: true with frame filled, false with error empty when nothing is ready
    // (or, after the end was pushed, nothing is left), false with error on a failure.
    bool Pull(AVFrame* frame, QString& error);
    // The time base of the frames pulled.
    AVRational TimeBase() const;

private:
    MediaHandles::Graph m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    int64_t m_position = 0;
};
