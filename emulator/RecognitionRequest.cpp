#include "RecognitionRequest.h"

#include "JsonReply.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {

template <typename T, std::size_t N, typename V>
bool OneOf(const T (&choices)[N], const V &value)
{
    return std::find(std::begin(choices), std::end(choices), value) != std::end(choices);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

RecognitionRequest::RecognitionRequest(const std::string &body)
{
    const auto parsed = JsonReply::Parse(body);
    if (!parsed || !parsed->is_object()) {
        errorCode_ = kInvalidJson;
        errorMessage_ = kInvalidJsonMessage;
        errorDetail_ = "the body must be a JSON object with speech_url, format, pid and rate";
        return;
    }
    Read(*parsed);
}

SpeechRecognizer::Language RecognitionRequest::Language() const
{
    return model_ == kEnglishModel ? SpeechRecognizer::Language::English : SpeechRecognizer::Language::Mandarin;
}

bool RecognitionRequest::Read(const web::json::value &request)
{
    for (const char *member : {"speech_url", "format", "pid", "rate"}) {
        if (!request.has_field(member))
            return Missing(member);
    }
    const auto &url = request.at("speech_url");
    if (!url.is_string() || url.as_string().empty())
        return Invalid("speech_url", "must be the address of the recording, a non-empty string");
    speechUrl_ = url.as_string();

    const auto &format = request.at("format");
    const bool named = format.is_string() && !format.as_string().empty() &&
                       format.as_string().size() <= kMaxFormatLength &&
                       std::all_of(format.as_string().begin(), format.as_string().end(),
                                   [](unsigned char c) { return std::isalnum(c) != 0; });
    if (!named)
        return Invalid("format", "must be the recording's file extension, such as mp3, wav or pcm");
    format_ = Lower(format.as_string());

    const auto &model = request.at("pid");
    if (!model.is_integer() || !model.as_number().is_int32() || !OneOf(kModels, model.as_integer()))
        return Invalid("pid", "must be one of the models 80001, 80006 (Mandarin) and 1737 (English)");
    model_ = model.as_integer();

    const auto &rate = request.at("rate");
    if (!rate.is_integer() || !rate.as_number().is_int32() || !OneOf(kRates, rate.as_integer()))
        return Invalid("rate", "must be 16000 or 8000");
    rate_ = rate.as_integer();

    if (request.has_field(kWordTimesMember)) {
        const auto &words = request.at(kWordTimesMember);
        if (!words.is_boolean())
            return Invalid(kWordTimesMember, "must be true or false");
        wordTimes_ = words.as_bool();
    }
    return true;
}

bool RecognitionRequest::Missing(const std::string &member)
{
    errorCode_ = kMissingParameter;
    errorMessage_ = "missing parameter: " + member;
    errorDetail_ = member + " is required";
    return false;
}

bool RecognitionRequest::Invalid(const std::string &member, const std::string &why)
{
    errorCode_ = kInvalidParameter;
    errorMessage_ = "invalid parameter: " + member;
    errorDetail_ = member + " " + why;
    return false;
}
