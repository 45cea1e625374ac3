#pragma once

#include <QByteArray>
#include <QString>

// Where one object's requests go. An endpoint that is an IP address or localhost (a local or test
// store, which has no names for its buckets) is addressed path-style over plain HTTP:
//   http://ENDPOINT/BUCKET/KEY
// any other endpoint virtual-hosted over HTTPS:
//   https://BUCKET.ENDPOINT/KEY
// The key (and bucket) on the request line is percent-encoded as the signer signs it.
struct ObsAddress
{
    QString baseUrl;            // scheme and authority, no path
    QByteArray requestPath;     // starts with "/", already encoded
    QByteArray canonicalResource;

    // An endpoint may carry a port and, leniently, a scheme prefix and trailing slashes, which are
    // dropped. False, with the reason in error, when the endpoint or bucket is empty or unusable.
    static bool Resolve(const QString& endpoint, const QString& bucket, const QString& objectKey, ObsAddress& address,
                        QString& error);

    // True for a dotted IPv4 address, a bracketed IPv6 address or "localhost", with or without a
    // port.
    static bool IsLocalStyleEndpoint(const QString& endpoint);
};
