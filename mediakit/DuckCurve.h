#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How far the original sound is lowered at each moment of a voice-over: fully while the track
// speaks, not at all between its lines, with short fades between. Built from the whole track
// before the mix starts, so the fade down can begin before the first word instead of after it.
class DuckCurve
{
public:
    // Steps of 10 ms at the mix's rate; the curve is smooth between them.
    static constexpr int kStepFrames = 480;
    // The fades: down before a line begins, up after it ends. The fade up is slower, so a line's
    // last syllable is not left on a swelling background.
    static constexpr int kFadeDownSteps = 12;
    static constexpr int kFadeUpSteps = 30;
    // Pauses between a line's words shorter than this keep the original lowered.
    static constexpr int kHoldSteps = 35;
    // A step of the track is speech when it is louder (RMS) than both of these: an absolute floor,
    // and a distance below the track's loudest step, so a track with a noise floor of its own
    // (a recorded voice rather than a synthesised one) still has pauses.
    static constexpr double kSpeechDb = -45.0;
    static constexpr double kBelowLoudestDb = 30.0;
    // Levels are judged over this many steps around each one (50 ms): a single 10 ms step of
    // noise can peak several dB above the floor and would duck the original for a whole hold.
    static constexpr int kJudgedSteps = 5;

    // The track's next interleaved stereo frames, in order from its start.
    void Listen(const float* stereo, size_t frames);
    // Ends listening; while the track speaks the original is lowered by depthDb.
    void Finish(double depthDb);

    // Multiplies frames interleaved stereo frames, the first at position first, by the curve.
    void Apply(int64_t first, float* stereo, size_t frames) const;

private:
    float Gain(int64_t frame) const;
    void EndStep();

    std::vector<double> m_energies; // mean square a step
    std::vector<bool> m_speech;
    std::vector<float> m_gain; // one a step
    double m_energy = 0.0;
    int m_filled = 0; // frames of the step being listened to
};
