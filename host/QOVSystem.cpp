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
    // A secret's name says what it is, whatever service sends it and however deep it sits, so the
    // name decides: the name and what joins it to its value, then the first four characters of the
    // value (a quoted one, or a bare number) and the rest of it. An object or a list under such a
    // name is left to its own members.
    static const QRegularExpression secrets = [] {
        const QString name = QStringLiteral("(?:token|secret|key|password|signature)");
        const QString inQuotes = QStringLiteral(R"((?:[^"\\]|\\.))");
        const QString bare = QStringLiteral(R"([^\s,:{}\[\]"])");
        return QRegularExpression(
            QStringLiteral(R"(((?:^|[?&\s])(?:[\w.-]*%1[\w.-]*|tok)=)([^&\s"]{0,4})[^&\s"]*)").arg(name) +
                QStringLiteral(R"(|("%2*%1%2*"\s*:\s*)(?:"(%2{0,4})%2*"|(%3{1,4})%3*))").arg(name, inQuotes, bare),
            QRegularExpression::CaseInsensitiveOption);
    }();
    QString masked;
    qsizetype done = 0;
    for (QRegularExpressionMatchIterator it = secrets.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        masked += QStringView(text).mid(done, match.capturedStart() - done);
        if (match.hasCaptured(1))
            masked += match.captured(1) + match.captured(2) + QStringLiteral("…");
        else if (match.hasCaptured(4))
            masked += match.captured(3) + QLatin1Char('"') + match.captured(4) + QStringLiteral("…\"");
        else
            masked += match.captured(3) + match.captured(5) + QStringLiteral("…");
        done = match.capturedEnd();
    }
    return masked += QStringView(text).mid(done);
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
