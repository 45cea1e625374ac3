#pragma once

#include <QSet>
#include <QString>

// The local file name of a generated image: the last segment of its address, without query or
// fragment. An address that gives no usable name (empty, ".", "..", a name that could leave the
// output folder) gets a generated one, and a name already taken in this task gets a number, so
// no image overwrites another or lands outside the folder.
QString ImageFileName(const QString& url, int index, QSet<QString>& taken);
