#pragma once

#include <QByteArray>
#include <QString>

// Where one object's requests go. An endpoint that is an IP address or localhost (a local or test
// store, which has no names for its buckets) is addressed path-style over plain HTTP, or over HTTPS
// when the endpoint is written with "https://":
//   http://ENDPOINT/BUCKET/KEY
// any other endpoint virtual-hosted over HTTPS:
//   https://BUCKET.ENDPOINT/KEY
// The key (and bucket) on the request line is percent-encoded as the signer signs it.
struct ObsAddress
{
    QString baseUrl;            // scheme and authority, no path
    QByteArray requestPath;     // starts with "/", already encoded
    QByteArray canonicalResource;

    // An endpoint may carry a port, a scheme prefix and trailing slashes; the scheme counts only for
    // a local-style endpoint. False, with the reason in error, when the endpoint or bucket is empty or unusable.
    static bool Resolve(const QString& endpoint, const QString& bucket, const QString& objectKey, ObsAddress& address,
                        QString& error);

    // The endpoint's host and port, without a scheme or trailing slashes.
    static QString Authority(const QString& endpoint);
};
