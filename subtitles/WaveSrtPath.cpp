#include "subtitles/WaveSrtPath.h"

#include "host/QOVFileName.h"
#include "host/QOVSystem.h"

#include <QFileInfo>

namespace {

int Frame(float fps, float seconds)
{
    return int(fps * seconds + 0.5f);
}

bool Exists(const QString& path)
{
    return QFileInfo::exists(path);
}

} // namespace

QString GetWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start, float end)
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
    for (int n = 1; Exists(path); ++n)
        path = stem + QLatin1Char('_') + QString::number(n) + extension;
    return path;
}
