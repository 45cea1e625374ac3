#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The rules of initialisation files applied to their text, apart from reading and writing the
// file, so that they hold for any bytes a file may contain.
namespace ProfileText {

// The lines of a file's bytes: UTF-8 (a byte-order mark tolerated) or UTF-16LE with its mark,
// split at any line break.
QStringList Lines(const QByteArray& bytes);

// The value of key in the first section of that name (names compare without case; blanks and one
// pair of surrounding quotes removed); none when the section or key is missing.
std::optional<QString> Find(const QStringList& lines, const QString& section, const QString& key);

// The lines with key set to value in section, the section added when missing; a null value removes
// the key. None when nothing is to change (removing from a missing section).
std::optional<QStringList> WithValue(QStringList lines, const QString& section, const QString& key,
                                     const QString& value);

} // namespace ProfileText
