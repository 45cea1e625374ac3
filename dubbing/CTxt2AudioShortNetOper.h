#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// Short-text synthesis: one form request whose reply body is the audio, written into the output
// file on the calling thread. Made for one request and discarded.
class CTxt2AudioShortNetOper
{
public:
    // aue values of the form.
    static constexpr int32_t kAueMp3 = 3;
    static constexpr int32_t kAueWav = 6;
    // A reply of at most this many bytes is an error message, not audio.
    static constexpr int64_t kMinimumAudioBytes = 200;

    CTxt2AudioShortNetOper();

    // True when the output file holds audio (more than 200 bytes); then the dubbing log has a
    // finished record. On failure errorText says why and no file is left at outputPath.
    bool Synthesize(const utility::string_t& text, utility::string_t& errorText, const utility::string_t& outputPath,
                    int32_t speed, int32_t pitch, int32_t volume, int32_t voice, int32_t aue);

    // The form body (the voice as SpeechVoice gives it). The text, user identifier and token are
    // percent-encoded, so "&", "=", "+" and "%" in a text reach the service unchanged.
    utility::string_t FormBody(const utility::string_t& text, int32_t speed, int32_t pitch, int32_t volume,
                               int32_t voice, int32_t aue) const;

private:
    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_cuid;
    int32_t m_clientType = 1;
};
