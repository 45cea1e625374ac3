// Service replies are untrusted: whatever JSON arrives, reading a member either gives a value,
// reports the member missing, or throws the library's JSON exception the clients catch.
#include "service/JsonReaders.h"

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace {

// The members the clients read from their replies.
const char* const kMembers[] = {"access_token", "expires_in", "error", "error_code", "error_msg", "err_msg",
                                "result", "data", "task_id", "task_status", "task_result", "tasks_info",
                                "speech_url", "img_approve_conclusion", "sub_task_result_list", "final_image_list",
                                "img_url", "status", "ok", "err_no", "failed", "desc", "bg", "ed", "onebest"};

void ReadEveryMember(const web::json::value& object, int depth)
{
    for (const char* member : kMembers) {
        try {
            utility::string_t text;
            ReadJsonString(object, member, text);
        } catch (const web::json::json_exception&) {
        }
        try {
            int32_t value = 0;
            ReadJsonInt(object, member, value);
        } catch (const web::json::json_exception&) {
        }
        try {
            uint64_t value = 0;
            ReadJsonUInt64(object, member, value);
        } catch (const web::json::json_exception&) {
        }
    }
    if (depth > 3)
        return;
    // Replies nest their results in arrays and objects; read those the same way.
    if (object.is_array()) {
        for (const auto& element : object.as_array())
            ReadEveryMember(element, depth + 1);
    } else if (object.is_object()) {
        for (const auto& member : object.as_object())
            ReadEveryMember(member.second, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::error_code error;
    const web::json::value reply = web::json::value::parse(text, error);
    if (error)
        return 0;
    ReadEveryMember(reply, 0);
    return 0;
}
