#include "Md5Accumulator.h"

#include <openssl/evp.h>

#include <stdexcept>

Md5Accumulator::Md5Accumulator() : context_(EVP_MD_CTX_new())
{
    if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_md5(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::runtime_error("MD5 is not available");
    }
}

Md5Accumulator::~Md5Accumulator() { EVP_MD_CTX_free(context_); }

void Md5Accumulator::Add(const char *data, std::size_t length)
{
    if (EVP_DigestUpdate(context_, data, length) != 1)
        throw std::runtime_error("MD5 failed");
}

std::string Md5Accumulator::Finish()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_, digest, &length) != 1)
        throw std::runtime_error("MD5 failed");
    return std::string(reinterpret_cast<const char *>(digest), length);
}
