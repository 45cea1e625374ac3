#pragma once

#include <QString>

#include <vector>

// A speech file the service delivered (MP3 or WAV), decoded to mono samples in [-1, 1].
namespace SpeechClip {

// Decodes path's first audio stream; rate 0 keeps the file's own sample rate, any other resamples
// to it. On success samples and sampleRate hold the sound; on failure error says why.
bool Decode(const QString& path, int rate, std::vector<float>& samples, int& sampleRate, QString& error);

} // namespace SpeechClip
