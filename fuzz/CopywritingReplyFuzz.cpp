// Whatever the chat service sends with status 200, reading it gives success with a text or a
// failure with a message, never an exception.
#include "FuzzEnvironment.h"

#include "copywriting/CopywritingErrors.h"
#include "service/ChatClient.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEnvironment environment;
    static ChatClient client({}, CopywritingErrors::ChatWording());
    std::error_code error;
    const web::json::value reply =
        web::json::value::parse(std::string(reinterpret_cast<const char*>(data), size), error);
    if (error)
        return 0;
    if (client.ReadReply(reply) ? client.Answer().empty() : client.ErrorText().empty())
        __builtin_trap();
    return 0;
}
