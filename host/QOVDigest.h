#pragma once

#include <QByteArray>
#include <QString>

// MD5 digest of a NUL-terminated byte string, as 32 lower-case hexadecimal characters.
QString MD5String(const char* text);

// The raw 16-byte MD5 digest of a file and its size, read in one streaming pass with a small
// buffer, so a file of any size costs no more memory than the buffer. False when the file cannot
// be opened or read (a folder among them).
bool MD5OfFile(const QString& path, QByteArray& digest, qint64& size);
