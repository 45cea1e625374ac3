#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes, or "<missing>" when it cannot be read, so that a failed comparison says which.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Makes bytes the whole of the file at path; whether all of them were written.
inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
