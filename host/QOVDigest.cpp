#include "host/QOVDigest.h"

#include <openssl/evp.h>

#include <cstring>
#include <memory>

QString MD5String(const char* text)
{
    if (!text)
        text = "";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text, std::strlen(text), digest, &length, EVP_md5(), nullptr) != 1)
        return QString();
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(int(length) * 2);
    for (unsigned int i = 0; i < length; ++i) {
        out += QLatin1Char(hex[digest[i] >> 4]);
        out += QLatin1Char(hex[digest[i] & 0x0F]);
    }
    return out;
}
