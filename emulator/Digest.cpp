#include "Digest.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <stdexcept>

namespace Digest {

namespace {

std::string Hash(const EVP_MD *algorithm, std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, algorithm, nullptr) != 1)
        throw std::runtime_error("the digest could not be computed");
    return std::string(reinterpret_cast<const char *>(digest), length);
}

}  // namespace

std::string HmacSha1(std::string_view key, std::string_view message)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char *>(message.data()),
             message.size(), digest, &length) == nullptr)
        throw std::runtime_error("the HMAC could not be computed");
    return std::string(reinterpret_cast<const char *>(digest), length);
}

std::string Md5(std::string_view bytes) { return Hash(EVP_md5(), bytes); }

std::string Sha256(std::string_view bytes) { return Hash(EVP_sha256(), bytes); }

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::string Base64Encode(std::string_view bytes)
{
    std::string out(4 * ((bytes.size() + 2) / 3), '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char *>(out.data()),
                                        reinterpret_cast<const unsigned char *>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::optional<std::string> Base64Decode(std::string_view text)
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        if (kAlphabet.find(text[i]) == std::string_view::npos)
            return std::nullopt;
    }
    std::string out(3 * (text.size() / 4), '\0');
    const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char *>(out.data()),
                                        reinterpret_cast<const unsigned char *>(text.data()), static_cast<int>(text.size()));
    if (written < 0)
        return std::nullopt;
    // The block decoder counts padding as zero bytes.
    out.resize(static_cast<std::size_t>(written) - padding);
    return out;
}

}  // namespace Digest
