#include "host/QOVFileName.h"

QString ZuGetFileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ZuGetFileExt(const QString& path)
{
    const QString name = ZuGetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString ZuGetFileNameNoExt(const QString& path)
{
    const QString name = ZuGetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

int SplitString(const QString& text, QStringList& array, const QString& separator, int flag)
{
    if (separator.isEmpty()) {
        array = text.isEmpty() && flag == 0 ? QStringList() : QStringList{text};
        return int(array.size());
    }
    array = text.split(separator, flag == 0 ? Qt::SkipEmptyParts : Qt::KeepEmptyParts);
    return int(array.size());
}
