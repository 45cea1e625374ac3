#include "service/JsonReaders.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

const web::json::value* Member(const web::json::value& object, const utility::string_t& name)
{
    if (!object.is_object())
        return nullptr;
    const auto& members = object.as_object();
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
}

const web::json::number& Number(const web::json::value& member)
{
    if (!member.is_number())
        throw web::json::json_exception("a member expected to be a number holds another type");
    return member.as_number();
}

} // namespace

bool ReadJsonString(const web::json::value& object, const utility::string_t& name, utility::string_t& text)
{
    const web::json::value* member = Member(object, name);
    if (!member)
        return false;
    if (member->is_integer()) {
        // Identifiers beyond 32 bits keep all their digits.
        const web::json::number& number = member->as_number();
        text = number.is_int64() ? std::to_string(number.to_int64()) : std::to_string(number.to_uint64());
        return true;
    }
    if (!member->is_string())
        throw web::json::json_exception("a member expected to be a string holds another type");
    text = member->as_string();
    return true;
}

bool ReadJsonInt(const web::json::value& object, const utility::string_t& name, int32_t& value)
{
    const web::json::value* member = Member(object, name);
    if (!member)
        return false;
    const web::json::number& number = Number(*member);
    if (number.is_integral()) {
        value = int32_t(number.to_int64());
    } else {
        const double real = number.to_double();
        value = real != real ? 0 : int32_t(std::clamp(real, double(INT32_MIN), double(INT32_MAX)));
    }
    return true;
}

bool ReadJsonUInt64(const web::json::value& object, const utility::string_t& name, uint64_t& value)
{
    const web::json::value* member = Member(object, name);
    if (!member)
        return false;
    const web::json::number& number = Number(*member);
    if (number.is_integral()) {
        value = number.is_uint64() ? number.to_uint64() : uint64_t(std::max<int64_t>(0, number.to_int64()));
    } else {
        const double real = number.to_double();
        value = real <= 0.0 ? 0 : real >= 18446744073709551615.0 ? UINT64_MAX : uint64_t(real);
    }
    return true;
}
