#pragma once

#include <QString>

#include <vector>

// Writes a mono track as an audio file: 16-bit PCM in a WAV container, or MP3.
namespace TrackEncoder {

// Bit rate of an MP3 track: above the service's own, so its speech loses nothing more for being
// encoded twice.
inline constexpr int kMp3BitRate = 48000;

// samples: mono, [-1, 1], at rate. path is written over; on failure error says why and path may
// hold part of the file, so it belongs in a scratch folder.
bool Write(const std::vector<float>& samples, int rate, bool mp3, const QString& path, QString& error);

} // namespace TrackEncoder
