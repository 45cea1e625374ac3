#include "ShortSpeechRequest.h"

#include "FormEncoding.h"
#include "Utf8Text.h"

#include <charconv>
#include <limits>
#include <optional>

namespace {

constexpr const char *kRequiredLanguage = "zh";
constexpr const char *kRequiredClientType = "1";

// Only plain decimal digits, optionally signed: "5", "-1"; not " 5", "5x" or "".
std::optional<int> ParseInt(const std::string &text)
{
    int value = 0;
    const auto *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace

ShortSpeechRequest::ShortSpeechRequest(std::string_view query, std::string_view body)
{
    auto fields = FormEncoding::Parse(body);
    const auto queryFields = FormEncoding::Parse(query);
    fields.insert(fields.end(), queryFields.begin(), queryFields.end());
    const auto field = [&fields](std::string_view name) { return FormEncoding::Find(fields, name); };

    token_ = field("tok").value_or("");
    text_ = field("tex").value_or("");
    const auto cuid = field("cuid");
    const auto clientType = field("ctp");
    const auto language = field("lan");
    if (text_.empty() || cuid.value_or("").empty() || !clientType || !language) {
        Fail(kMissingInput);
        return;
    }
    if (Utf8Text::Decode(text_).size() > kMaxTextCharacters) {
        Fail(kTextTooLong);
        return;
    }
    if (*clientType != kRequiredClientType || *language != kRequiredLanguage) {
        Fail(kInvalidParameter);
        return;
    }

    // An absent level takes the default; a present one must be a whole number in range.
    const auto level = [&](std::string_view name, int &target, int low, int high) {
        const auto text = field(name);
        if (!text)
            return true;
        const auto value = ParseInt(*text);
        if (!value || *value < low || *value > high)
            return false;
        target = *value;
        return true;
    };
    int audioCode = kMp3Code;
    const bool valid = level("spd", settings_.speed, SpeechSettings::kMinLevel, SpeechSettings::kMaxLevel) &&
                       level("pit", settings_.pitch, SpeechSettings::kMinLevel, SpeechSettings::kMaxLevel) &&
                       level("vol", settings_.volume, SpeechSettings::kMinLevel, SpeechSettings::kMaxLevel) &&
                       level("per", settings_.person, 0, std::numeric_limits<int>::max()) &&
                       level("aue", audioCode, kMp3Code, kWavCode) && (audioCode == kMp3Code || audioCode == kWavCode);
    if (!valid) {
        Fail(kInvalidParameter);
        return;
    }
    format_ = audioCode == kWavCode ? SpeechFormat::Wav : SpeechFormat::Mp3;
}

const char *ShortSpeechRequest::ErrorMessage() const
{
    switch (errorCode_) {
    case kMissingInput:
        return kMissingInputMessage;
    case kInvalidParameter:
        return kInvalidParameterMessage;
    case kTextTooLong:
        return kTextTooLongMessage;
    default:
        return "";
    }
}

void ShortSpeechRequest::Fail(int code) { errorCode_ = code; }
