#include "subtitles/WaveSrtPath.h"

#include "host/QOVFileName.h"
#include "host/QOVSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

int Frame(float fps, float seconds)
{
    return int(fps * seconds + 0.5f);
}

// The names GetWaveSrtPath tries, in turn, for as long as taken says a name is taken.
template <class Taken>
QString FirstFree(const QString& source, const QString& extension, const QString& folder, float start, float end,
                  Taken taken)
{
    const QString name = ZuGetFileNameNoExt(source);
    const float fps = QOVGetSysFrameRate();
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    // Joined, not substituted: a source's name may hold "%1" itself.
    const QString stem = base + QLatin1Char('/') + name + QLatin1Char('_') + QString::number(Frame(fps, start)) +
                         QLatin1Char('_') + QString::number(Frame(fps, end));
    QString path = stem + extension;
    for (int n = 1; taken(path); ++n)
        path = stem + QLatin1Char('_') + QString::number(n) + extension;
    return path;
}

} // namespace

QString GetWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start, float end)
{
    return FirstFree(source, extension, folder, start, end,
                     [](const QString& name) { return QFileInfo::exists(name); });
}

QString ReserveWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start,
                           float end)
{
    QDir().mkpath(folder);
    return FirstFree(source, extension, folder, start, end, [](const QString& name) {
        // Created only if absent, at once: a name another task took a moment ago is taken. In a
        // folder that cannot be written the free name is kept unreserved; its writer says why.
        QFile file(name);
        return !file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && QFileInfo::exists(name);
    });
}
