#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// multipart/form-data bodies taken apart from their bytes alone: no I/O, no state, so it can be
// fed anything. Parts refer into the body they came from and live as long as it does.
namespace MultipartParser {

inline constexpr std::size_t kMaxParts = 256;
inline constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
inline constexpr std::size_t kMaxBoundaryLength = 200;

struct Part {
    std::string name;
    std::optional<std::string> filename;  // present for file parts
    std::string contentType;              // empty when the part names none
    std::string_view content;             // exactly the part's bytes
};

struct Result {
    bool ok = false;
    std::string error;  // what was wrong, when not ok
    std::vector<Part> parts;
};

// The boundary parameter of a multipart/form-data content type, quoted or not; std::nullopt for
// any other type or a missing or unusable boundary.
std::optional<std::string> BoundaryOf(std::string_view contentType);

// Parts in the order they come. A preamble before the first delimiter and an epilogue after the
// closing one are ignored; a body without its closing delimiter is not whole and is refused.
Result Parse(std::string_view body, std::string_view boundary);

}  // namespace MultipartParser
