// Whatever the cloud recognition service sends with status 200, a creation reply makes a task or
// not (one without an identifier is still a start: its polls say what became of it), and a query
// reply gives a poll code with the task's lines, or the JSON exception the client turns into a
// failure; a failed task always says why.
#include "FuzzEnvironment.h"

#include "subtitles/CAudio2TxtNetOper.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEnvironment environment;
    std::error_code error;
    const web::json::value reply =
        web::json::value::parse(std::string(reinterpret_cast<const char*>(data), size), error);
    if (error)
        return 0;
    CAudio2TxtNetOper client; // results pile up in a client: one per reply
    try {
        client.ReadCreateReply(reply);
    } catch (const web::json::json_exception&) {
    }
    try {
        const int32_t code = client.ReadQueryReply(reply);
        if (code < CAudio2TxtNetOper::PollError || code > CAudio2TxtNetOper::PollFinished)
            __builtin_trap();
        if (code == CAudio2TxtNetOper::PollError && client.GetErrorText().empty())
            __builtin_trap();
    } catch (const web::json::json_exception&) {
    }
    return 0;
}
