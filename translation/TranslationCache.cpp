#include "translation/TranslationCache.h"

#include "host/QOVPaths.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

TranslationCache::TranslationCache(QString folder) : m_folder(std::move(folder)) {}

QString TranslationCache::DefaultFolder()
{
    return ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/Translate/cache/");
}

QString TranslationCache::PathOf(const QString& key) const
{
    return QDir(m_folder).filePath(key + QStringLiteral(".json"));
}

std::optional<std::map<QString, QString>> TranslationCache::Load(const QString& key) const
{
    if (m_folder.isEmpty())
        return std::nullopt;
    QFile file(PathOf(key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    std::map<QString, QString> texts;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // A file cut short or edited by hand is not an answer; asking again is.
        if (!it.value().isString() || it.value().toString().isEmpty())
            return std::nullopt;
        texts[it.key()] = it.value().toString();
    }
    return texts;
}

void TranslationCache::Store(const QString& key, const std::map<QString, QString>& texts) const
{
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return;
    QJsonObject object;
    for (const auto& [id, text] : texts)
        object.insert(id, text);
    QSaveFile file(PathOf(key));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
        file.commit();
    }
}
