#include "apps/cli/LocalizeProject.h"

#include "service/ResultFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const QString kManifest = QStringLiteral("manifest.json");
const QString kSteps = QStringLiteral("steps");
const QString kInputs = QStringLiteral("inputs");
const QString kResult = QStringLiteral("result");
constexpr QCryptographicHash::Algorithm kHash = QCryptographicHash::Sha1;

} // namespace

LocalizeProject::LocalizeProject(const QString& video, const QString& language)
{
    const QFileInfo info(video);
    m_folder = info.absoluteDir().filePath(info.completeBaseName() + QLatin1Char('.') + language +
                                           QStringLiteral(".qovaigc"));
}

bool LocalizeProject::Open(bool fresh, QString& error)
{
    if (!QDir().mkpath(m_folder)) {
        error = QStringLiteral("cannot make the project folder %1").arg(m_folder);
        return false;
    }
    m_steps = {};
    QFile manifest(Path(kManifest));
    if (fresh || !manifest.open(QIODevice::ReadOnly))
        return true;
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(manifest.readAll(), &parsed);
    manifest.close();
    if (!document.isObject()) {
        // Someone's edit, or a disk that failed: kept for them to look at, and every step redone.
        const QString aside = Path(QStringLiteral("manifest.damaged.json"));
        QFile::remove(aside);
        QFile::rename(manifest.fileName(), aside);
        return true;
    }
    m_steps = document.object().value(kSteps).toObject();
    return true;
}

QString LocalizeProject::Path(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

QString LocalizeProject::FileHash(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(kHash);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

QString LocalizeProject::InputsHash(const QStringList& parts)
{
    QCryptographicHash hash(kHash);
    for (const QString& part : parts) {
        hash.addData(part.toUtf8());
        // A separator no part holds, so that ("ab", "c") and ("a", "bc") differ.
        hash.addData(QByteArrayView("\0", 1));
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString LocalizeProject::Reusable(const QString& step, const QString& inputs) const
{
    const QJsonObject recorded = m_steps.value(step).toObject();
    if (recorded.value(kInputs).toString() != inputs)
        return {};
    const QString result = QDir::cleanPath(QDir(m_folder).absoluteFilePath(recorded.value(kResult).toString()));
    return QFileInfo(result).isFile() ? result : QString();
}

bool LocalizeProject::Record(const QString& step, const QString& inputs, const QString& result, QString& error)
{
    // Relative, so that the folder can be moved with its video.
    m_steps.insert(step, QJsonObject{{kInputs, inputs}, {kResult, QDir(m_folder).relativeFilePath(result)}});
    QString path = Path(kManifest);
    const QByteArray bytes = QJsonDocument(QJsonObject{{kSteps, m_steps}}).toJson();
    return ResultFile::Write(path, bytes, true, &error);
}
