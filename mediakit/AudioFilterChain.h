#pragma once

#include "mediakit/MediaHandles.h"

#include <QString>

#include <cstddef>

// Interleaved floats (the mix's stereo, a clip's mono speech) through a chain of libavfilter's
// audio filters ("volume=-3dB,alimiter=..."), pulled out as frames in the format a consumer names,
// at the rate and in the channels they went in with.
class AudioFilterChain
{
public:
    struct Setup
    {
        AVSampleFormat format = AV_SAMPLE_FMT_FLT; // out; in is always interleaved floats
        int rate = 48000;
        // Samples a frame out; 0: as the filters give them.
        int frameSize = 0;
        int channels = 2; // mono or stereo
        // What a failure says could not be done: setting the filters up, and filtering.
        QString setUp = QStringLiteral("set up the sound's filters");
        QString filtering = QStringLiteral("filter the sound");
    };

    AudioFilterChain() = default;
    AudioFilterChain(const AudioFilterChain&) = delete;
    AudioFilterChain& operator=(const AudioFilterChain&) = delete;

    bool Open(const QString& filters, const Setup& setup, QString& error);
    // frames interleaved frames; none (samples null) ends the input.
    bool Push(const float* samples, size_t frames, QString& error);
    // The next frame out: true with frame filled, false with error empty when nothing is ready
    // (or, after the end was pushed, nothing is left), false with error on a failure.
    bool Pull(AVFrame* frame, QString& error);
    // The time base of the frames pulled.
    AVRational TimeBase() const;

private:
    Setup m_setup;
    MediaHandles::Graph m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    int64_t m_position = 0;
};
