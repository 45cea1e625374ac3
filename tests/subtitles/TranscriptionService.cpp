#include "SignatureCheck.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdio>

std::string ExpectedSigna(const std::string& appId, const std::string& key, const std::string& ts)
{
    const std::string message = appId + ts;
    unsigned char md5[EVP_MAX_MD_SIZE];
    unsigned int md5Length = 0;
    EVP_Digest(message.data(), message.size(), md5, &md5Length, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < md5Length; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", md5[i]);
        hex += pair;
    }
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    HMAC(EVP_sha1(), key.data(), int(key.size()), reinterpret_cast<const unsigned char*>(hex.data()), hex.size(), mac,
         &macLength);
    unsigned char base64[64];
    const int length = EVP_EncodeBlock(base64, mac, int(macLength));
    return std::string(reinterpret_cast<char*>(base64), size_t(length));
}

std::vector<std::string> QueryNames(const std::string& target)
{
    std::vector<std::string> names;
    const size_t query = target.find('?');
    if (query == std::string::npos)
        return names;
    size_t at = query + 1;
    while (at <= target.size()) {
        const size_t end = std::min(target.find('&', at), target.size());
        const std::string pair = target.substr(at, end - at);
        names.push_back(pair.substr(0, pair.find('=')));
        at = end + 1;
    }
    return names;
}
