#include "mediakit/AudioMixdown.h"

#include "mediakit/DuckCurve.h"

#include <algorithm>

bool AudioMixdown::Open(Mode mode, const QString& original, const QString& track, int64_t end, const DuckCurve* curve,
                        QString& error)
{
    m_mode = mode;
    m_end = end;
    m_curve = curve;
    m_useOriginal = mode != Mode::Replace;
    m_useTrack = mode != Mode::Original;
    if (m_useOriginal && !m_original.Open(original, error))
        return false;
    return !m_useTrack || m_track.Open(track, error);
}

bool AudioMixdown::Next(size_t frames, std::vector<float>& block, QString& error)
{
    block.clear();
    frames = size_t(std::min<int64_t>(int64_t(frames), m_end - m_position));
    if (frames == 0)
        return true;
    if (m_useOriginal && !m_original.Read(frames, block, error))
        return false;
    if (m_useOriginal && m_mode == Mode::Duck && m_curve != nullptr)
        m_curve->Apply(m_position, block.data(), block.size() / AudioFeed::kChannels);
    if (m_useTrack) {
        m_other.clear();
        if (!m_track.Read(frames, m_other, error))
            return false;
        // The shorter of the two is silent past its end.
        if (m_other.size() > block.size())
            block.resize(m_other.size(), 0.0f);
        for (size_t i = 0; i < m_other.size(); ++i)
            block[i] += m_other[i];
    }
    m_position += int64_t(block.size() / AudioFeed::kChannels);
    return true;
}

bool AudioMixdown::TrackCut(QString& error)
{
    if (!m_useTrack || m_position < m_end)
        return false;
    // An encoder's padding past the end is no sound the user would miss.
    constexpr size_t kGrace = AudioFeed::kRate / 10;
    m_other.clear();
    return m_track.Read(kGrace + 1, m_other, error) && m_other.size() > kGrace * AudioFeed::kChannels;
}
