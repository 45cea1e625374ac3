#pragma once

#include <cpprest/json.h>

#include <cstdint>

// Readers of one member of a reply object. Each returns true and writes the output when the object
// has the member, false (output untouched) when it has not or is no object. A member of an
// unsuitable type throws web::json::json_exception, which the calling client turns into its
// failure code and error text.

// A JSON integer is written in decimal; any other member must be a string.
bool ReadJsonString(const web::json::value& object, const utility::string_t& name, utility::string_t& text);
// A number as a signed 32-bit integer.
bool ReadJsonInt(const web::json::value& object, const utility::string_t& name, int32_t& value);
// A number as an unsigned 64-bit integer; a floating-point number is truncated (negative gives 0).
bool ReadJsonUInt64(const web::json::value& object, const utility::string_t& name, uint64_t& value);
