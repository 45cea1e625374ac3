#pragma once

#include <QString>
#include <QStringList>

// Test media made on demand with the ffmpeg program in a folder of the test process, and what a
// decoder finds in an audio file.
namespace MediaFixtures {

// A 10-second video (25 fps) with a 440 Hz stereo tone at 44100 Hz in AAC.
QString VideoWithAudio();
// A 3-second video without any audio stream.
QString VideoWithoutAudio();
// 4 seconds of a 16000 Hz mono 16-bit WAV: already the subtitles tool's own format.
QString SpeechFormatWav();
// 2 seconds of digital silence in a WAV file.
QString SilentWav();
// Ten minutes of a tone: long enough that converting it takes seconds.
QString TenMinutesOfSound();
QString Folder();

// Runs the ffmpeg program quietly; returns what it printed.
QString RunFfmpeg(const QStringList& arguments, bool* ok);

struct Decoded
{
    bool ok = false;
    QString codec;
    int sampleRate = 0;
    int channels = 0;
    long long samples = 0; // per channel
    double Seconds() const { return sampleRate > 0 ? double(samples) / sampleRate : 0.0; }
};

// Decodes the whole first audio stream.
Decoded Decode(const QString& path);

} // namespace MediaFixtures
