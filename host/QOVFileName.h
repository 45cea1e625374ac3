#pragma once

#include <QString>
#include <QStringList>

// Name with extension, without the folder.
QString ZuGetFileName(const QString& path);
// Extension without its dot; empty when the name has none.
QString ZuGetFileExt(const QString& path);
// Name without folder and extension.
QString ZuGetFileNameNoExt(const QString& path);
// Splits text at every occurrence of separator into array (replacing its content) and returns the
// number of parts. flag 0 drops empty parts ("a|b|" gives two), non-zero keeps them.
int SplitString(const QString& text, QStringList& array, const QString& separator, int flag);
