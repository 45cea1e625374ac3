#include "mediakit/TempoChange.h"

#include "mediakit/AudioFilterChain.h"
#include "mediakit/TrackAudioError.h"

#include <algorithm>

namespace TempoChange {

namespace {

// Samples handed to the filter at a time.
constexpr int kBlock = 4096;

} // namespace

bool Apply(const std::vector<float>& samples, int rate, double factor, std::vector<float>& out, QString& error)
{
    out.clear();
    out.reserve(size_t(double(samples.size()) / factor) + kBlock);
    AudioFilterChain::Setup setup;
    setup.rate = rate;
    setup.channels = 1;
    setup.setUp = setup.filtering = QStringLiteral("speed up the speech");
    const MediaHandles::Frame frame(av_frame_alloc());
    if (!frame)
        return TrackAudioError::Note(error, setup.filtering, AVERROR(ENOMEM));
    AudioFilterChain chain;
    QString failed;
    const auto collect = [&] {
        while (chain.Pull(frame.get(), failed)) {
            const auto* data = reinterpret_cast<const float*>(frame->data[0]);
            out.insert(out.end(), data, data + frame->nb_samples);
            av_frame_unref(frame.get());
        }
        return failed.isEmpty();
    };
    bool done = chain.Open(QStringLiteral("atempo=%1").arg(factor, 0, 'f', 6), setup, failed);
    for (size_t at = 0; done && at < samples.size(); at += kBlock)
        done = chain.Push(samples.data() + at, std::min<size_t>(kBlock, samples.size() - at), failed) && collect();
    done = done && chain.Push(nullptr, 0, failed) && collect();
    if (!done)
        error = failed;
    return done;
}

} // namespace TempoChange
