#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

// Writes a mono track as an audio file, 16-bit PCM in a WAV container or MP3, from samples handed
// in a block at a time: a long track is encoded as it is mixed, never held whole.
class TrackEncoder
{
public:
    // Bit rate of an MP3 track: above the service's own, so its speech loses nothing more for being
    // encoded twice.
    static constexpr int kMp3BitRate = 48000;

    TrackEncoder();
    ~TrackEncoder();
    TrackEncoder(const TrackEncoder&) = delete;
    TrackEncoder& operator=(const TrackEncoder&) = delete;

    // Starts the file at path (written over) for samples at rate. On failure, here or later, error
    // says why and path may hold part of the file, so it belongs in a scratch folder.
    bool Open(int rate, bool mp3, const QString& path, QString& error);
    // The next samples: mono, [-1, 1].
    bool Add(const float* samples, size_t count, QString& error);
    // Encodes what is left and ends the file.
    bool Finish(QString& error);

    // A whole track at once.
    static bool Write(const std::vector<float>& samples, int rate, bool mp3, const QString& path, QString& error);

private:
    struct Encoding;

    std::unique_ptr<Encoding> m_encoding;
    std::vector<float> m_pending; // less than a frame, waiting for the rest of it
    int64_t m_sent = 0;
};
