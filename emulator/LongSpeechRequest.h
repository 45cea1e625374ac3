#pragma once

#include "SpeechFormat.h"
#include "SpeechSettings.h"

#include <cpprest/json.h>

#include <string>

// The JSON body of a long-text task, checked member by member. The error numbers are shared by
// both long-text endpoints, which answer them in the same shape.
class LongSpeechRequest {
public:
    static constexpr int kInvalidParameter = 336202;
    static constexpr int kMissingParameter = 336203;
    static constexpr int kInvalidJson = 336212;
    static constexpr const char *kInvalidJsonMessage = "request body is not valid JSON";

    static constexpr std::size_t kMaxTextCharacters = 100000;
    static constexpr const char *kMp3Format = "mp3-16k";
    static constexpr const char *kWavFormat = "wav";
    static constexpr const char *kLanguage = "zh";

    explicit LongSpeechRequest(const std::string &body);

    // 0 when the task can be created, else the error number and a message naming the member.
    int ErrorCode() const { return errorCode_; }
    const std::string &ErrorMessage() const { return errorMessage_; }

    // The text pieces joined by line breaks, so paragraphs do not run into each other.
    const std::string &Text() const { return text_; }
    const SpeechSettings &Settings() const { return settings_; }
    SpeechFormat Format() const { return format_; }

    static std::string MissingMessage(const std::string &member);
    static std::string InvalidMessage(const std::string &member);

private:
    // Returns false once a member fails, after recording why.
    bool Read(const web::json::value &request);
    bool Fail(int code, std::string message);

    int errorCode_ = 0;
    std::string errorMessage_;
    std::string text_;
    SpeechSettings settings_;
    SpeechFormat format_ = SpeechFormat::Mp3;
};
