#pragma once

#include "SpeechFormat.h"
#include "SpeechSettings.h"

#include <string>
#include <string_view>

// The fields of one short-text synthesis request, gathered from the form body and the query
// string and checked. Clients send the form with a text/plain content type, so the body is
// decoded as a form whatever its content type says.
class ShortSpeechRequest {
public:
    static constexpr int kMissingInput = 500;
    static constexpr int kInvalidParameter = 501;
    static constexpr int kTextTooLong = 503;
    static constexpr const char *kMissingInputMessage = "not support input";
    static constexpr const char *kInvalidParameterMessage = "input param invalid";
    static constexpr const char *kTextTooLongMessage = "text too long";

    static constexpr std::size_t kMaxTextCharacters = 1024;
    static constexpr int kMp3Code = 3;
    static constexpr int kWavCode = 6;

    // Body fields win over query fields of the same name.
    ShortSpeechRequest(std::string_view query, std::string_view body);

    // 0 when the request can be spoken, else the error number and its message.
    int ErrorCode() const { return errorCode_; }
    const char *ErrorMessage() const;

    const std::string &Token() const { return token_; }
    const std::string &Text() const { return text_; }
    const SpeechSettings &Settings() const { return settings_; }
    SpeechFormat Format() const { return format_; }

private:
    void Fail(int code);

    int errorCode_ = 0;
    std::string token_;
    std::string text_;
    SpeechSettings settings_;
    SpeechFormat format_ = SpeechFormat::Mp3;
};
