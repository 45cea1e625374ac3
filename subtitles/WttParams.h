#pragma once

#include <cpprest/details/basic_types.h>

#include <map>

// Request parameters of the file-transcription service and the names its requests use.
namespace nsWtt {

inline constexpr const char* kPreparePath = "/prepare";
inline constexpr const char* kUploadPath = "/upload";
inline constexpr const char* kMergePath = "/merge";
inline constexpr const char* kProgressPath = "/getProgress";
inline constexpr const char* kResultPath = "/getResult";

// The service numbers slices in files of this many bytes.
inline constexpr long long kSliceBytes = 10485760;

// The service counts slices in the letters a..z from ten "a"; the client uploads the file as the
// first.
inline constexpr const char* kFirstSliceId = "aaaaaaaaaa";

// Orders names the way the service sorts them: by UTF-16 code unit. For names below U+E000 this
// is the UTF-8 byte order; characters beyond the basic plane sort before U+E000..U+FFFF here.
struct Utf16Less
{
    bool operator()(const utility::string_t& left, const utility::string_t& right) const;
};

using ParamMap = std::map<utility::string_t, utility::string_t, Utf16Less>;

} // namespace nsWtt
