#pragma once

#include <QSet>
#include <QString>

// The local file name of a generated image: the last segment of its address, without query or
// fragment. An address that gives no usable name (empty, ".", "..", a name that could leave the
// output folder) gets a generated one, and a name already taken in this task or by a file in the
// folder gets a number, so no image overwrites another or an earlier result, or leaves the folder.
QString ImageFileName(const QString& url, int index, const QString& folder, QSet<QString>& taken);
