// Whatever the chat service sends with status 200, reading it gives success with a text or a
// failure with a message, or the JSON exception the request turns into a failure.
#include "FuzzEnvironment.h"

#include "copywriting/CCopywritingNetOper.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEnvironment environment;
    static CCopywritingNetOper client;
    std::error_code error;
    const web::json::value reply =
        web::json::value::parse(std::string(reinterpret_cast<const char*>(data), size), error);
    if (error)
        return 0;
    try {
        const int32_t code = client.ReadReply(reply);
        if (code == CCopywritingNetOper::Success ? client.ResultText().empty() : client.GetErrorText().empty())
            __builtin_trap();
    } catch (const web::json::json_exception&) {
    }
    return 0;
}
