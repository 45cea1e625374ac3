#include "host/ObsRequestSigner.h"

#include <QLocale>

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>

namespace ObsRequestSigner {

namespace {

const QByteArray kObsPrefix = QByteArrayLiteral("x-obs-");

} // namespace

QByteArray PercentEncode(const QString& text)
{
    return text.toUtf8().toPercentEncoding();
}

QByteArray CanonicalResource(const QString& bucket, const QString& objectKey)
{
    return '/' + PercentEncode(bucket) + '/' + PercentEncode(objectKey);
}

QByteArray CanonicalHeaders(const QList<Header>& headers)
{
    QList<Header> obs;
    for (const Header& header : headers) {
        const QByteArray name = header.first.trimmed().toLower();
        if (name.startsWith(kObsPrefix))
            obs.append({name, header.second.trimmed()});
    }
    std::stable_sort(obs.begin(), obs.end(), [](const Header& a, const Header& b) { return a.first < b.first; });
    QByteArray canonical;
    for (const Header& header : obs)
        canonical += header.first + ':' + header.second + '\n';
    return canonical;
}

QByteArray StringToSign(const QByteArray& verb, const QByteArray& contentMd5, const QByteArray& contentType,
                        const QByteArray& date, const QList<Header>& headers, const QByteArray& canonicalResource)
{
    return verb + '\n' + contentMd5 + '\n' + contentType + '\n' + date + '\n' + CanonicalHeaders(headers) +
           canonicalResource;
}

QByteArray Signature(const QByteArray& secret, const QByteArray& stringToSign)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha1(), secret.constData(), secret.size(),
              reinterpret_cast<const unsigned char*>(stringToSign.constData()), size_t(stringToSign.size()), digest,
              &length))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toBase64();
}

QByteArray Authorization(const QByteArray& accessKeyId, const QByteArray& signature)
{
    return QByteArrayLiteral("OBS ") + accessKeyId + ':' + signature;
}

QByteArray HttpDate(const QDateTime& moment)
{
    // The C locale's English names: the application object sets the C library's locale from the
    // environment, and the store rejects a localised date.
    return QLocale::c().toString(moment.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

} // namespace ObsRequestSigner
