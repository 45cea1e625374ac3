#pragma once

#include "SpeechRecognizer.h"

#include <cpprest/json.h>

#include <cstddef>
#include <string>

// The JSON body that creates a recognition task, checked member by member: the address of the
// recording, its format, the model and the sample rate, and optionally whether each sentence
// should carry the times of its words.
class RecognitionRequest {
public:
    static constexpr int kInvalidParameter = 336001;
    static constexpr int kMissingParameter = 336002;
    static constexpr int kInvalidJson = 336003;
    static constexpr const char *kInvalidJsonMessage = "request body is not a JSON object";

    // The English model; the others are Mandarin.
    static constexpr int kEnglishModel = 1737;
    static constexpr int kModels[] = {80001, 80006, kEnglishModel};
    // Headerless samples; any other format is found out from the recording itself, so every
    // container FFmpeg reads is taken under its usual extension.
    static constexpr const char *kRawFormat = "pcm";
    static constexpr std::size_t kMaxFormatLength = 10;
    static constexpr int kRates[] = {16000, 8000};
    // Optional, true or false: the words of each sentence with their times, where the model hears
    // words (English). Left out, the reply has the sentences alone.
    static constexpr const char *kWordTimesMember = "word_times";

    explicit RecognitionRequest(const std::string &body);

    // 0 when the task can be created, else the error number, a message and the detail that
    // names what was wrong.
    int ErrorCode() const { return errorCode_; }
    const std::string &ErrorMessage() const { return errorMessage_; }
    const std::string &ErrorDetail() const { return errorDetail_; }

    const std::string &SpeechUrl() const { return speechUrl_; }
    // Lower case, whatever case it was sent in.
    const std::string &Format() const { return format_; }
    bool IsRaw() const { return format_ == kRawFormat; }
    int Model() const { return model_; }
    int Rate() const { return rate_; }
    bool WordTimes() const { return wordTimes_; }
    SpeechRecognizer::Language Language() const;

private:
    bool Read(const web::json::value &request);
    bool Missing(const std::string &member);
    bool Invalid(const std::string &member, const std::string &why);

    int errorCode_ = 0;
    std::string errorMessage_;
    std::string errorDetail_;
    std::string speechUrl_;
    std::string format_;
    int model_ = 0;
    int rate_ = 0;
    bool wordTimes_ = false;
};
