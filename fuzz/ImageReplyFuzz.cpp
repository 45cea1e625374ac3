// Whatever the image service sends with status 200 to a query, reading it gives a poll code with
// the images listed, or the JSON exception the poll turns into a failed task.
#include "FuzzEnvironment.h"

#include "painting/CTxt2ImageNetOper.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEnvironment environment;
    static CTxt2ImageNetOper client;
    std::error_code error;
    const web::json::value reply =
        web::json::value::parse(std::string(reinterpret_cast<const char*>(data), size), error);
    if (error)
        return 0;
    try {
        const int32_t code = client.ReadQueryReply(reply);
        if (code != CTxt2ImageNetOper::PollFinished && code != CTxt2ImageNetOper::PollPending &&
            code != CTxt2ImageNetOper::PollError)
            __builtin_trap();
        // Every image listed gets a file of its own in the output folder.
        for (const ImgRetData& result : client.Results()) {
            if (result.localPath.empty())
                __builtin_trap();
        }
    } catch (const web::json::json_exception&) {
    }
    return 0;
}
