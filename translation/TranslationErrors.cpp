#include "translation/TranslationErrors.h"

namespace TranslationErrors {

const ChatClient::Wording& ChatWording()
{
    static const ChatClient::Wording wording{
        "translation",
        "翻译服务请求失败，HTTP状态码：%d",
        "翻译服务没有返回译文，请稍后重试",
        "翻译服务的回复格式有误：",
        "翻译服务的网址无效，请检查配置文件：",
    };
    return wording;
}

QString Failed(const RequestFailure& failure, const QString& from, const QString& to)
{
    // The chat table reads this code as a parameter that failed its check; a request that carries
    // only lines and their languages fails it for a pair the service cannot translate.
    constexpr int kPairRefused = 336003;
    if (failure.serviceCode == kPairRefused)
        return QStringLiteral("the translation service cannot translate %1 into %2").arg(from, to);
    return QString::fromStdString(failure.text);
}

QString Missing(const QStringList& ids)
{
    return ids.size() == 1
               ? QStringLiteral("caption %1 did not come back translated, though asked for three times").arg(ids[0])
               : QStringLiteral("captions %1 did not come back translated, though asked for three times")
                     .arg(ids.join(QStringLiteral(", ")));
}

QString InBatch(const QString& firstId, const QString& lastId, const QString& reason)
{
    if (firstId == lastId)
        return QStringLiteral("caption %1: %2").arg(firstId, reason);
    return QStringLiteral("captions %1 to %2: %3").arg(firstId, lastId, reason);
}

QString TooSlow()
{
    return QStringLiteral("no translation came within %1 s");
}

} // namespace TranslationErrors
