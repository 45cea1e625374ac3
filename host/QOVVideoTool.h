#pragma once

#include <QString>

#include <functional>

// The editor's own audio extractor: writes the audio track of mediaFile into audioFile (MP3 for a
// ".mp3" name, 16-bit PCM WAV otherwise) with the channel count and sample rate given. startFrame
// and endFrame of 0 take the whole track; sampleFormat 1 asks for 16-bit samples.
// Returns 0 on success, -1 when the source is nothing it can handle (no file, no audio track, no
// decoder: the caller falls back to its own extraction), another negative value when the
// conversion itself failed. A failed conversion leaves no partial file under audioFile's name.
// Given stop, the extraction is abandoned as soon as stop() returns true (it is asked every few
// tens of milliseconds): the converter is ended, no file is left, and the result is -4.
int SaveAudioFromMediaFile(const QString& audioFile, const QString& mediaFile, int channels, int sampleRate,
                           int sampleFormat, int startFrame, int endFrame, const std::function<bool()>& stop = {});
