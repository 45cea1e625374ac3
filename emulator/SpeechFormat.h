#pragma once

// The two audio containers the speech endpoints deliver, both 16 kHz mono.
enum class SpeechFormat { Mp3, Wav };

constexpr const char *ContentTypeOf(SpeechFormat format)
{
    return format == SpeechFormat::Mp3 ? "audio/mp3" : "audio/wav";
}

constexpr const char *ExtensionOf(SpeechFormat format) { return format == SpeechFormat::Mp3 ? "mp3" : "wav"; }
