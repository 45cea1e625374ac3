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

// The value before the first slice: nine "a" and the character just below "a", so that the first
// advance gives ten "a".
inline constexpr const char* kSliceIdSeed = "aaaaaaaaa`";

// Orders names the way the service sorts them: by UTF-16 code unit. For names below U+E000 this
// is the UTF-8 byte order; characters beyond the basic plane sort before U+E000..U+FFFF here.
struct Utf16Less
{
    bool operator()(const utility::string_t& left, const utility::string_t& right) const;
};

using ParamMap = std::map<utility::string_t, utility::string_t, Utf16Less>;

// Counts the slice id up like a number in the digits a..z: the last character steps to the next
// code, and a "z" rolls over to "a" carrying one to the left; ten "z" turn into ten "a".
void AdvanceSliceId(utility::string_t& sliceId);

} // namespace nsWtt
