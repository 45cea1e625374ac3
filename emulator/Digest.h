#pragma once

#include <optional>
#include <string>
#include <string_view>

// The hashes and encodings the store's and the transcription service's signatures are made of.
// Digests are returned as raw bytes; Hex and Base64Encode turn them into text.
namespace Digest {

std::string HmacSha1(std::string_view key, std::string_view message);
std::string Md5(std::string_view bytes);
std::string Sha256(std::string_view bytes);
// Lower-case hexadecimal, two digits a byte.
std::string Hex(std::string_view bytes);
std::string Base64Encode(std::string_view bytes);
// Standard alphabet with padding; anything else (whitespace included) gives std::nullopt.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace Digest
