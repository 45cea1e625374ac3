#include "host/ObsRequestSigner.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>

namespace ObsRequestSigner {

namespace {

const char kHex[] = "0123456789ABCDEF";
const QByteArray kObsPrefix = QByteArrayLiteral("x-obs-");

bool Unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

} // namespace

QByteArray PercentEncode(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray encoded;
    encoded.reserve(utf8.size() * 3);
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if (Unreserved(c)) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
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
    // Fixed English names: the application object sets the C library's locale from the
    // environment, and the store rejects a localised date.
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime utc = moment.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    return QByteArray(kDays[date.dayOfWeek() - 1]) + ", " + QByteArray::number(date.day()).rightJustified(2, '0') +
           ' ' + kMonths[date.month() - 1] + ' ' + QByteArray::number(date.year()) + ' ' +
           QByteArray::number(time.hour()).rightJustified(2, '0') + ':' +
           QByteArray::number(time.minute()).rightJustified(2, '0') + ':' +
           QByteArray::number(time.second()).rightJustified(2, '0') + " GMT";
}

} // namespace ObsRequestSigner
