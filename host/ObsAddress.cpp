#include "host/ObsAddress.h"

#include "host/ObsRequestSigner.h"

#include <QStringList>

namespace {

// The host part of "host", "host:port", "[v6]" or "[v6]:port".
QString HostOf(const QString& endpoint)
{
    if (endpoint.startsWith(QLatin1Char('['))) {
        const qsizetype close = endpoint.indexOf(QLatin1Char(']'));
        return close < 0 ? QString() : endpoint.left(close + 1);
    }
    const qsizetype colon = endpoint.indexOf(QLatin1Char(':'));
    return colon < 0 ? endpoint : endpoint.left(colon);
}

bool IsIPv4(const QString& host)
{
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || value < 0 || value > 255)
            return false;
    }
    return true;
}

QString Normalised(QString endpoint)
{
    endpoint = endpoint.trimmed();
    for (const char* scheme : {"http://", "https://"}) {
        if (endpoint.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            endpoint = endpoint.mid(qsizetype(qstrlen(scheme)));
    }
    while (endpoint.endsWith(QLatin1Char('/')))
        endpoint.chop(1);
    return endpoint;
}

// A dotted IPv4 address, a bracketed IPv6 address or "localhost", with or without a port.
bool IsLocalStyle(const QString& authority)
{
    const QString host = HostOf(authority);
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || IsIPv4(host) ||
           (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')));
}

} // namespace

QString ObsAddress::Authority(const QString& endpoint)
{
    return Normalised(endpoint);
}

bool ObsAddress::Resolve(const QString& endpoint, const QString& bucket, const QString& objectKey,
                         ObsAddress& address, QString& error)
{
    const QString authority = Normalised(endpoint);
    if (authority.isEmpty() || HostOf(authority).isEmpty()) {
        error = QStringLiteral("the object store's endpoint is empty");
        return false;
    }
    if (authority.contains(QLatin1Char('/')) || authority.contains(QLatin1Char(' '))) {
        error = QStringLiteral("the object store's endpoint \"%1\" is not a host name").arg(endpoint);
        return false;
    }
    if (bucket.isEmpty()) {
        error = QStringLiteral("the object store's bucket is empty");
        return false;
    }
    if (objectKey.isEmpty()) {
        error = QStringLiteral("the object key is empty");
        return false;
    }
    address.canonicalResource = ObsRequestSigner::CanonicalResource(bucket, objectKey);
    if (IsLocalStyle(authority)) {
        const bool secure = endpoint.trimmed().startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
        address.baseUrl = (secure ? QStringLiteral("https://") : QStringLiteral("http://")) + authority;
        address.requestPath = address.canonicalResource;
    } else {
        address.baseUrl = QStringLiteral("https://") + bucket + QLatin1Char('.') + authority;
        address.requestPath = '/' + ObsRequestSigner::PercentEncode(objectKey);
    }
    return true;
}
