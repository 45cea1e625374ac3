// Whatever the speech services send with status 200: the short-text reply is audio or an error
// with a message; a long-text query reply gives the task's state or the JSON exception the poll
// turns into a failed poll. The first byte picks the reply and, for a short one, its content type.
#include "FuzzEnvironment.h"

#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace {

const char* const kContentTypes[] = {"audio/mp3", "audio/wav", "application/json", "text/plain", "",
                                     "application/octet-stream", "text/html; charset=utf-8", "application/json;x"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEnvironment environment;
    static CTxt2AudioNetOper longSpeech;
    if (size == 0)
        return 0;
    const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 0x80) {
        std::error_code error;
        const web::json::value parsed = web::json::value::parse(reply, error);
        if (error)
            return 0;
        try {
            longSpeech.ReadTasks(parsed);
        } catch (const web::json::json_exception&) {
        }
        return 0;
    }
    utility::string_t errorText;
    const utility::string_t type = kContentTypes[data[0] % (sizeof kContentTypes / sizeof *kContentTypes)];
    if (!CTxt2AudioShortNetOper::ReadReply(type, reply, errorText) && errorText.empty())
        __builtin_trap();
    return 0;
}
