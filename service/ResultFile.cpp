#include "service/ResultFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// More than any folder of results holds of one second's names; past it something else is wrong.
constexpr int kMostNumbers = 10000;
// What is copied at a time from a source too large to hold.
constexpr qint64 kPiece = 1024 * 1024;

} // namespace

namespace ResultFile {

QString Numbered(const QString& wanted, int n)
{
    if (n < 2)
        return wanted;
    const qsizetype slash = wanted.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = wanted.lastIndexOf(QLatin1Char('.'));
    const QString suffix = QStringLiteral("_%1").arg(n);
    // A dot that starts the name ("/a/.hidden") or stands in a folder's name is no extension.
    if (dot > slash + 1)
        return wanted.left(dot) + suffix + wanted.mid(dot);
    return wanted + suffix;
}

bool Settle(const QString& temporary, const QString& wanted, QString& path, QString& reason)
{
    const QByteArray from = QFile::encodeName(temporary);
    for (int n = 1; n <= kMostNumbers; ++n) {
        const QString name = Numbered(wanted, n);
        const QByteArray to = QFile::encodeName(name);
        int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        // A file system that cannot rename without replacing: looked at, then renamed.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
            if (QFileInfo::exists(name) || QFileInfo(name).isSymLink())
                errno = EEXIST;
            else
                result = std::rename(from.constData(), to.constData());
        }
        if (result == 0) {
            path = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool Create(const QString& wanted, QFile& file, QString* error, QString* reason)
{
    file.close();
    for (int n = 1; n <= kMostNumbers; ++n) {
        file.setFileName(Numbered(wanted, n));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        // Only a name that exists sends us on to the next number; anything else (no folder, no
        // permission, a full disk) fails the same way for every number.
        if (!QFileInfo::exists(file.fileName()) && !QFileInfo(file.fileName()).isSymLink())
            break;
    }
    if (error)
        *error = QStringLiteral("无法创建文件%1：%2").arg(wanted, file.errorString());
    if (reason)
        *reason = file.errorString();
    file.close();
    return false;
}

QString Reserve(const QString& wanted, QString* error, QString* reason)
{
    QFile file;
    if (!Create(wanted, file, error, reason))
        return QString();
    file.close();
    return file.fileName();
}

bool Write(QString& path, const QByteArray& content, bool own, QString* error, QString* reason)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    return WriteFrom(path, buffer, own, error, reason);
}

bool WriteFrom(QString& path, QIODevice& source, bool own, QString* error, QString* reason)
{
    QString target = path;
    if (!own) {
        target = Reserve(path, error, reason);
        if (target.isEmpty())
            return false;
    }
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered flush takes a short write (the disk filled up) for a whole one.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    bool read = true;
    while (written && read && !source.atEnd()) {
        const QByteArray piece = source.read(kPiece);
        read = !piece.isEmpty();
        written = read && file.write(piece) == piece.size();
    }
    if (written && read && file.commit()) {
        path = target;
        return true;
    }
    const QString why = read ? file.errorString() : source.errorString();
    if (error)
        *error = QStringLiteral("无法写入文件%1：%2").arg(target, why);
    if (reason)
        *reason = why;
    file.cancelWriting();
    if (!own)
        QFile::remove(target);
    return false;
}

} // namespace ResultFile
