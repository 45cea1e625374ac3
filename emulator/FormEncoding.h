#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Query strings and application/x-www-form-urlencoded bodies, decoded here rather than by the
// HTTP library, which only decodes a form body whose content type carries no parameters.
namespace FormEncoding {

using Fields = std::vector<std::pair<std::string, std::string>>;

// '+' is a space and %XX a byte; a '%' not followed by two hex digits stays as it is.
std::string Decode(std::string_view text);
Fields Parse(std::string_view text);
// The first value of `name`, if present.
std::optional<std::string> Find(const Fields &fields, std::string_view name);
// The part of a request target after '?', still encoded.
std::string_view QueryOf(std::string_view target);
bool IsFormContentType(std::string_view contentType);

}  // namespace FormEncoding
