#pragma once

#include "service/TaskEnd.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

#include <cstddef>
#include <cstdint>
#include <string>

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
    // A reply of more is not read: no short text's speech comes near it.
    static constexpr size_t kMaximumAudioBytes = size_t(64) << 20;

    CTxt2AudioShortNetOper();

    // True when the output file holds audio (more than 200 bytes, answered with status 200 and
    // not labelled as JSON or text); then the dubbing log has a finished record. The audio goes to
    // outputPath, or to the next free numbered name beside it when that is taken (OutputPath()).
    // On failure errorText says why and no file is left. Cancelling cancel ends the request.
    bool Synthesize(const utility::string_t& text, utility::string_t& errorText, const utility::string_t& outputPath,
                    int32_t speed, int32_t pitch, int32_t volume, int32_t voice, int32_t aue,
                    const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // The file the last synthesis wrote.
    const utility::string_t& OutputPath() const { return m_outputPath; }
    // What kind of failure the last synthesis's error text tells of.
    TaskError::Kind FailureKind() const { return m_failureKind; }
    // Off for speech that is only a part of a larger result (a caption of a track), which the
    // dubbing log records once, as a whole.
    void SetLogged(bool logged) { m_logged = logged; }

    // The form body (the voice as SpeechVoice gives it). The text, user identifier and token are
    // percent-encoded, so "&", "=", "+" and "%" in a text reach the service unchanged.
    utility::string_t FormBody(const utility::string_t& text, int32_t speed, int32_t pitch, int32_t volume,
                               int32_t voice, int32_t aue) const;

    // Whether a reply that arrived with status 200 is the audio; when it is not, errorText says
    // why, from the service's own reason when the bytes are an error reply. Throws nothing.
    static bool ReadReply(const utility::string_t& contentType, const std::string& reply, utility::string_t& errorText);

private:
    bool m_logged = true;
    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_cuid;
    utility::string_t m_outputPath;
    TaskError::Kind m_failureKind = TaskError::Kind::None;
};
