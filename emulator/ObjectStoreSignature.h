#pragma once

#include <httplib.h>

#include <optional>
#include <string>
#include <string_view>

// The store's header signature: Authorization "OBS <AccessKeyId>:<Base64(HMAC-SHA1(secret,
// StringToSign))>", where StringToSign is the verb, Content-MD5, Content-Type and Date lines, the
// x-obs- headers (lower-case names, sorted, "name:value" lines) and then the resource.
namespace ObjectStoreSignature {

inline constexpr std::string_view kScheme = "OBS";
inline constexpr std::string_view kHeaderPrefix = "x-obs-";

struct Authorization {
    std::string accessKeyId;
    std::string signature;
};

// std::nullopt unless the header is exactly "OBS", one space, a key id, ':' and a signature.
std::optional<Authorization> ParseAuthorization(std::string_view header);

// The resource is "/BUCKET/KEY" with the key exactly as it was percent-encoded on the request
// line, not decoded: a client and the store then agree on it byte for byte whichever characters
// the client chose to escape, and the decoded form of a key is never ambiguous to sign.
std::string ResourceOf(std::string_view target);

std::string StringToSign(std::string_view method, const httplib::Headers &headers, std::string_view resource);
std::string Sign(std::string_view secretKey, std::string_view stringToSign);

}  // namespace ObjectStoreSignature
