#include "host/QOVSystem.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cstdio>
#include <mutex>

float QOVGetSysFrameRate()
{
    bool ok = false;
    const float rate = qEnvironmentVariable("QOV_FRAME_RATE").toFloat(&ok);
    return ok && rate > 0.0f ? rate : 25.0f;
}

QString QOVGuidToString(const QUuid& guid)
{
    return guid.toString(QUuid::WithoutBraces).toLower();
}

QUuid QOVGuidFromString(const QString& text)
{
    return QUuid::fromString(text.trimmed());
}

QString QOVNewGuidText()
{
    return QOVGuidToString(QUuid::createUuid());
}

bool QOVDebugOutputEnabled()
{
    static const bool enabled = qEnvironmentVariable("QOV_DEBUG_OUTPUT") == QLatin1String("1");
    return enabled;
}

QString QOVMaskTokens(const QString& text)
{
    // The name and what it is joined to its value by, then the first four characters of the value
    // and the rest of it.
    static const QRegularExpression tokens(QStringLiteral(
        R"(((?:^|[?&\s])(?:access_token|tok)=|"access_token"\s*:\s*")([^&\s"]{0,4})[^&\s"]*)"));
    QString masked = text;
    masked.replace(tokens, QStringLiteral("\\1\\2…"));
    return masked;
}

void QOVDebugOutput(const QString& text)
{
    if (!QOVDebugOutputEnabled())
        return;
    static std::mutex mutex;
    const QByteArray bytes = QOVMaskTokens(text).toUtf8();
    std::lock_guard<std::mutex> lock(mutex);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
