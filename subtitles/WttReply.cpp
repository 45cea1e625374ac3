#include "subtitles/WttReply.h"

#include "service/RestClient.h"

#include <cpprest/json.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <limits>

namespace nsWtt {

namespace {

// Thrown inside this file only: every way a reply can fall short ends as -1 in ReadReply.
struct Unreadable : std::exception
{
};

const web::json::value* Find(const web::json::value& object, const char* name)
{
    const auto& members = object.as_object();
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
}

const web::json::value& Need(const web::json::value& object, const char* name)
{
    const web::json::value* member = Find(object, name);
    if (!member)
        throw Unreadable();
    return *member;
}

int32_t AsInt(const web::json::value& member)
{
    if (!member.is_integer())
        throw Unreadable();
    const web::json::number& number = member.as_number();
    if (!number.is_int32())
        throw Unreadable();
    return number.to_int32();
}

const utility::string_t& AsText(const web::json::value& member)
{
    if (!member.is_string())
        throw Unreadable();
    return member.as_string();
}

web::json::value ParseObject(const utility::string_t& text)
{
    std::error_code error;
    web::json::value value = web::json::value::parse(text, error);
    if (error || !value.is_object())
        throw Unreadable();
    return value;
}

// The decimal number at the start of text after optional blanks and one sign; unreadable when
// there are no digits or the number does not fit 32 bits.
int32_t LeadingDecimal(const utility::string_t& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw Unreadable();
    return int32_t(value);
}

// The service's refusal: its code, with its "failed" text in out when it gave one.
int32_t Refusal(const web::json::value& reply, int32_t code, utility::string_t& out)
{
    if (const web::json::value* failed = Find(reply, "failed"))
        out = AsText(*failed);
    return code;
}

// prepare and merge: "ok" 0 is success; otherwise a non-empty "err_no" text names the service's
// number, else "ok" itself is the code.
int32_t ReadOkReply(const web::json::value& reply, bool takesData, utility::string_t& out)
{
    const int32_t ok = AsInt(Need(reply, "ok"));
    if (ok == 0) {
        if (takesData) {
            const web::json::value* data = Find(reply, "data");
            out = data ? AsText(*data) : utility::string_t();
        }
        return 0;
    }
    int32_t code = ok;
    if (const web::json::value* errNo = Find(reply, "err_no")) {
        const utility::string_t& text = AsText(*errNo);
        if (!text.empty())
            code = LeadingDecimal(text);
    }
    return Refusal(reply, code, out);
}

int32_t ReadProgressReply(const web::json::value& reply, utility::string_t& out)
{
    const int32_t errNo = AsInt(Need(reply, "err_no"));
    if (errNo != 0 && errNo != kStillProcessing)
        return Refusal(reply, errNo, out);
    const web::json::value* data = Find(reply, "data");
    if (!data)
        return errNo;
    const web::json::value progress = ParseObject(AsText(*data));
    const int32_t status = AsInt(Need(progress, "status"));
    if (const web::json::value* desc = Find(progress, "desc"))
        out = AsText(*desc);
    return status == kProgressFinished ? kProgressFinished : kProgressRunning;
}

int32_t ReadResultReply(const web::json::value& reply, utility::string_t& out)
{
    const int32_t errNo = AsInt(Need(reply, "err_no"));
    if (errNo != 0)
        return Refusal(reply, errNo, out);
    out = AsText(Need(reply, "data"));
    return 0;
}

} // namespace

int32_t ReadReply(Endpoint endpoint, const utility::string_t& reply, utility::string_t& out)
{
    try {
        const web::json::value parsed = ParseObject(reply);
        RestClient::TraceReply("file transcription", parsed);
        switch (endpoint) {
        case Endpoint::Prepare:
            return ReadOkReply(parsed, true, out);
        case Endpoint::Merge:
            return ReadOkReply(parsed, false, out);
        case Endpoint::Progress:
            return ReadProgressReply(parsed, out);
        case Endpoint::Result:
            return ReadResultReply(parsed, out);
        }
    } catch (const std::exception&) {
        // Unreadable replies and the JSON library's own errors alike.
    }
    return -1;
}

} // namespace nsWtt
