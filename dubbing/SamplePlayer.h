#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

// Plays a voice's sample file through the sound output, one at a time. Without a sound device, or
// for a file that is not there, it stays silent. Tests give the window one that only records.
class SamplePlayer
{
public:
    SamplePlayer();
    virtual ~SamplePlayer();
    SamplePlayer(const SamplePlayer&) = delete;
    SamplePlayer& operator=(const SamplePlayer&) = delete;

    // Starts path, stopping a sample that is still playing; returns at once.
    virtual void Play(const QString& path);
    virtual void Stop();

private:
    std::unique_ptr<QSoundEffect> m_effect; // made on the first sample, so a window that never
                                            // plays one never opens the sound system
};
