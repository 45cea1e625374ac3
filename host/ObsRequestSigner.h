#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// The object store's header signature:
//   Authorization: OBS <AccessKeyId>:<Base64(HMAC-SHA1(SecretAccessKey, StringToSign))>
// with StringToSign = verb, Content-MD5, Content-Type and Date, each followed by a line feed, then
// the canonical x-obs- headers and the canonical resource "/bucket/key".
namespace ObsRequestSigner {

using Header = QPair<QByteArray, QByteArray>;

// UTF-8 bytes of text with A-Z a-z 0-9 - _ . ~ kept and every other byte as %XX (upper-case hex).
// The store signs the key exactly as it appears on the request line, so both use this form.
QByteArray PercentEncode(const QString& text);

// "/" + bucket + "/" + the percent-encoded key.
QByteArray CanonicalResource(const QString& bucket, const QString& objectKey);

// Headers whose names start with "x-obs-" (any case), as "name:value\n" with lower-case names,
// sorted by name; other headers are left out.
QByteArray CanonicalHeaders(const QList<Header>& headers);

QByteArray StringToSign(const QByteArray& verb, const QByteArray& contentMd5, const QByteArray& contentType,
                        const QByteArray& date, const QList<Header>& headers, const QByteArray& canonicalResource);

// Base64 of HMAC-SHA1 of stringToSign under secret; empty only when the digest cannot be made.
QByteArray Signature(const QByteArray& secret, const QByteArray& stringToSign);

// "OBS " + access key id + ":" + signature.
QByteArray Authorization(const QByteArray& accessKeyId, const QByteArray& signature);

// RFC 1123 date in GMT ("Tue, 05 Mar 2024 14:07:09 GMT"), in English whatever the process locale.
QByteArray HttpDate(const QDateTime& moment);

} // namespace ObsRequestSigner
