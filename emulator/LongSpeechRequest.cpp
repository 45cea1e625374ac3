#include "LongSpeechRequest.h"

#include "JsonReply.h"
#include "Utf8Text.h"

#include <limits>
#include <utility>

namespace {

constexpr int kMaxSubtitleMode = 2;

bool IsWholeNumber(const web::json::value &value)
{
    return value.is_number() && value.as_number().is_int32();
}

}  // namespace

LongSpeechRequest::LongSpeechRequest(const std::string &body)
{
    const auto parsed = JsonReply::Parse(body);
    if (!parsed || !parsed->is_object())
        Fail(kInvalidJson, kInvalidJsonMessage);
    else
        Read(*parsed);
}

bool LongSpeechRequest::Read(const web::json::value &request)
{
    for (const char *member : {"text", "format", "voice", "lang"}) {
        if (!request.has_field(member))
            return Fail(kMissingParameter, MissingMessage(member));
    }

    const auto &pieces = request.at("text");
    if (!pieces.is_array() || pieces.size() == 0)
        return Fail(kInvalidParameter, InvalidMessage("text"));
    std::size_t characters = 0;
    for (const auto &piece : pieces.as_array()) {
        if (!piece.is_string() || piece.as_string().empty())
            return Fail(kInvalidParameter, InvalidMessage("text"));
        characters += Utf8Text::Decode(piece.as_string()).size();
        text_ += (text_.empty() ? "" : "\n") + piece.as_string();
    }
    if (characters > kMaxTextCharacters)
        return Fail(kInvalidParameter, InvalidMessage("text"));

    const auto &format = request.at("format");
    if (!format.is_string() || (format.as_string() != kMp3Format && format.as_string() != kWavFormat))
        return Fail(kInvalidParameter, InvalidMessage("format"));
    format_ = format.as_string() == kWavFormat ? SpeechFormat::Wav : SpeechFormat::Mp3;

    const auto &lang = request.at("lang");
    if (!lang.is_string() || lang.as_string() != kLanguage)
        return Fail(kInvalidParameter, InvalidMessage("lang"));

    // Absent levels take their defaults; present ones must be whole numbers in range.
    const auto number = [&request, this](const char *member, int &target, int low, int high) {
        if (!request.has_field(member))
            return true;
        const auto &value = request.at(member);
        if (!IsWholeNumber(value) || value.as_integer() < low || value.as_integer() > high)
            return Fail(kInvalidParameter, InvalidMessage(member));
        target = value.as_integer();
        return true;
    };
    int subtitles = 0;
    constexpr int kLow = SpeechSettings::kMinLevel;
    constexpr int kHigh = SpeechSettings::kMaxLevel;
    return number("voice", settings_.person, 0, std::numeric_limits<int>::max()) &&
           number("speed", settings_.speed, kLow, kHigh) && number("pitch", settings_.pitch, kLow, kHigh) &&
           number("volume", settings_.volume, kLow, kHigh) &&
           number("enable_subtitle", subtitles, 0, kMaxSubtitleMode);
}

std::string LongSpeechRequest::MissingMessage(const std::string &member) { return "missing parameter: " + member; }

std::string LongSpeechRequest::InvalidMessage(const std::string &member) { return "invalid parameter: " + member; }

bool LongSpeechRequest::Fail(int code, std::string message)
{
    errorCode_ = code;
    errorMessage_ = std::move(message);
    return false;
}
