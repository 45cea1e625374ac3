#pragma once

#include <optional>
#include <string>
#include <string_view>

// The address of an uploaded recording as the recognition service is given it:
// "https://BUCKET.ENDPOINT/KEY", virtual-hosted, the key as stored rather than percent-encoded.
namespace SpeechUrl {

struct Parts {
    std::string host;  // of the endpoint, without the bucket
    int port = 0;      // 0 when the address names none
    std::string key;
};

// std::nullopt unless the address is http or https, its host is `bucket` + "." + an endpoint and
// it names a key.
std::optional<Parts> Parse(std::string_view url, const std::string &bucket);

}  // namespace SpeechUrl
