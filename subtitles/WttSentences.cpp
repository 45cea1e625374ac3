#include "subtitles/WttSentences.h"

#include <QString>

#include <cpprest/json.h>

#include <algorithm>
#include <cstdlib>
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
        sentences.push_back(std::move(sentence));
    }
}

int32_t WtoI(const utility::string_t& text)
{
    // strtoll gives its own limit for a number too large for it, which the clamp turns into ours.
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    using Limits = std::numeric_limits<int32_t>;
    return int32_t(std::clamp<long long>(value, Limits::min(), Limits::max()));
}

} // namespace nsWtt
