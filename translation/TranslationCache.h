#pragma once

#include <QString>

#include <map>
#include <optional>

// Batches that came back, kept on disk under their request's key, so a run that failed or was
// stopped half-way is not paid for twice: its rerun sends only what never came back. One small
// JSON file a batch; deleting the folder forgets them all.
class TranslationCache
{
public:
    // An empty folder keeps nothing.
    explicit TranslationCache(QString folder);

    // "<work folder>/Translate/cache/".
    static QString DefaultFolder();

    std::optional<std::map<QString, QString>> Load(const QString& key) const;
    // Written whole or not at all; a cache that cannot be written only costs a rerun its requests.
    void Store(const QString& key, const std::map<QString, QString>& texts) const;

private:
    QString PathOf(const QString& key) const;

    QString m_folder;
};
