#include "host/QOVDigest.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>

#include <cstring>
#include <memory>

namespace {

constexpr qint64 kReadBlock = 1 << 20;

} // namespace

QString MD5String(const char* text)
{
    if (!text)
        text = "";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text, std::strlen(text), digest, &length, EVP_md5(), nullptr) != 1)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

bool MD5OfFile(const QString& path, QByteArray& digest, qint64& size)
{
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
        return false;
    QByteArray block(int(kReadBlock), Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(block.data(), kReadBlock);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (EVP_DigestUpdate(context.get(), block.constData(), size_t(got)) != 1)
            return false;
        total += got;
    }
    unsigned char raw[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), raw, &length) != 1)
        return false;
    digest = QByteArray(reinterpret_cast<const char*>(raw), int(length));
    size = total;
    return true;
}
