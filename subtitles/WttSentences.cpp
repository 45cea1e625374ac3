#include "subtitles/WttSentences.h"

#include "subtitles/WttReply.h"

#include <QString>

#include <cpprest/json.h>

#include <exception>
#include <limits>
#include <system_error>

namespace nsWtt {

namespace {

// A text member, or null when it is missing or holds another type.
const utility::string_t* TextMember(const web::json::object& object, const char* name)
{
    const auto found = object.find(name);
    if (found == object.end() || !found->second.is_string())
        return nullptr;
    return &found->second.as_string();
}

} // namespace

void ReadSentences(const utility::string_t& text, std::vector<stWavResult>& sentences)
{
    std::error_code error;
    const web::json::value parsed = web::json::value::parse(text, error);
    if (error || !parsed.is_array())
        return;
    for (const web::json::value& element : parsed.as_array()) {
        if (!element.is_object())
            return;
        const web::json::object& object = element.as_object();
        const utility::string_t* onebest = TextMember(object, "onebest");
        const utility::string_t* bg = TextMember(object, "bg");
        const utility::string_t* ed = TextMember(object, "ed");
        const utility::string_t* speaker = TextMember(object, "speaker");
        if (!onebest || !bg || !ed || !speaker)
            return;
        stWavResult sentence;
        sentence.text = *onebest;
        sentence.textCopy = QString::fromStdString(*onebest);
        sentence.begin = WtoI(*bg);
        sentence.end = WtoI(*ed);
        sentence.speaker = WtoI(*speaker);
        sentence.further = 0;
        sentences.push_back(std::move(sentence));
    }
}

int32_t WtoI(const utility::string_t& text)
{
    if (const std::optional<int32_t> value = LeadingDecimal(text))
        return *value;
    // No digits at all, or more than 32 bits hold: tell the two apart by the first digit's place.
    size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == utility::string_t::npos)
        return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '+' || text[at] == '-')
        ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9')
        return 0;
    return negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

} // namespace nsWtt
