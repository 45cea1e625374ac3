#pragma once

#include "mediakit/AudioFeed.h"

#include <QString>

#include <cstdint>
#include <vector>

class DuckCurve;

// The sound a muxed video gets: the original's, a new track's, or the two together, a block at a
// time, never past the picture's end. Made afresh for each pass over the sound (measuring, then
// encoding), since holding a film's mixed sound would cost far more than decoding it twice.
class AudioMixdown
{
public:
    enum class Mode
    {
        Original, // the original sound alone
        Replace,  // the track alone
        Duck,     // the original lowered by the curve while the track speaks, and the track
        Add,      // both as they are
    };

    // original: the video (its sound, if any); track: the new sound (unused for Original).
    // end: the picture's end in frames at AudioFeed::kRate; curve: Duck's, finished.
    bool Open(Mode mode, const QString& original, const QString& track, int64_t end, const DuckCurve* curve,
              QString& error);
    // The next frames (interleaved stereo) into block; empty once the sound has ended.
    bool Next(size_t frames, std::vector<float>& block, QString& error);
    int64_t Position() const { return m_position; }
    // After the end: whether the track still had sound when the picture ended.
    bool TrackCut(QString& error);

private:
    Mode m_mode = Mode::Original;
    AudioFeed m_original;
    AudioFeed m_track;
    bool m_useOriginal = false;
    bool m_useTrack = false;
    const DuckCurve* m_curve = nullptr;
    int64_t m_end = 0;
    int64_t m_position = 0;
    std::vector<float> m_other;
};
