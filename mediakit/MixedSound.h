#pragma once

#include "mediakit/AudioMixdown.h"
#include "mediakit/DuckCurve.h"
#include "mediakit/EncodedStream.h"

#include <QString>

#include <functional>
#include <optional>

class AudioFilterChain;

// The sound of a muxed video made whole before the picture is written: the mix of the original
// and a new track (ducked, added or replacing), brought to a loudness when one is asked for,
// limited and encoded. Each pass decodes afresh: one to learn where the track speaks (ducking),
// one to measure the mix's loudness (when normalising), one to encode it.
class MixedSound
{
public:
    struct Plan
    {
        AudioMixdown::Mode mode = AudioMixdown::Mode::Duck;
        QString original; // the video
        QString track;
        double duckDb = 12.0;
        // Integrated loudness (LUFS) to bring the result to.
        std::optional<double> loudness;
        int64_t end = 0; // the picture's end, in frames at AudioFeed::kRate
        // The muxer's container wants Opus (WebM) rather than AAC.
        bool opus = false;
    };
    // The next fraction done (0..1) of the whole; false when the run is to stop.
    using Going = std::function<bool(double done)>;

    // False with error on a failure, false with error empty when going asked to stop.
    bool Make(const Plan& plan, const Going& going, EncodedStream& stream, QString& error);
    // Whether the track had sound past the picture's end, and was cut there.
    bool TrackCut() const { return m_cut; }

    // True-peak ceiling after normalising, below the -1 dBTP asked for: the encoder's own overshoot
    // needs the room.
    static constexpr double kPeakDb = -1.5;

private:
    bool Listen(const Plan& plan, const Going& going, QString& error);
    bool Measure(const Plan& plan, const Going& going, QString& error);
    bool Encode(const Plan& plan, const Going& going, EncodedStream& stream, QString& error);
    // One pass of the mix through chain, every frame out handed to take (false: the pass fails).
    bool Pass(const Plan& plan, const Going& going, AudioFilterChain& chain,
              const std::function<bool(AVFrame*)>& take, QString& error);
    QString Filters(const Plan& plan) const;
    double Part(double along) const;

    DuckCurve m_curve;
    std::optional<double> m_measured;
    bool m_cut = false;
    int m_passes = 1;
    int m_pass = 0;
};
