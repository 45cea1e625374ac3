#pragma once

#include "mediakit/MediaHandles.h"

#include <QString>

#include <cstddef>
#include <vector>

// The sound of any media file as the mix works with it: the best audio stream decoded and
// resampled to interleaved stereo floats at kRate, handed out a block at a time so a film's sound
// is never held whole.
class AudioFeed
{
public:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;

    AudioFeed() = default;
    AudioFeed(const AudioFeed&) = delete;
    AudioFeed& operator=(const AudioFeed&) = delete;

    // False with error when path cannot be read as media. A file without sound opens: it is
    // silent and ends at once.
    bool Open(const QString& path, QString& error);
    // Appends up to frames stereo frames to samples; fewer only once the sound has ended.
    bool Read(size_t frames, std::vector<float>& samples, QString& error);
    bool Ended() const { return m_ended && m_pending.empty(); }

private:
    bool Decode(QString& error);
    bool Convert(const AVFrame* frame, QString& error);

    QString m_path;
    MediaHandles::Input m_input;
    MediaHandles::Codec m_decoder;
    MediaHandles::Resampler m_resampler;
    MediaHandles::Packet m_packet;
    MediaHandles::Frame m_frame;
    int m_stream = -1;
    bool m_ended = false;
    std::vector<float> m_pending;
    size_t m_taken = 0; // of m_pending, already handed out
};
