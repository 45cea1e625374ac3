#pragma once

#include <QString>

// Initialisation files ("[section]" lines and "key=value" lines) with the rules of the editor's
// original platform: sections and keys compare without case, blanks around keys and values and one
// pair of surrounding quotes are removed, ';' starts a comment line, the first matching section and
// key win. Files are UTF-8 (a byte-order mark is tolerated; UTF-16 with its mark is read too).

// Copies the value (or the default when the file, section or key is missing) into out, cut to
// size - 1 characters, and returns the number of characters copied.
unsigned GetPrivateProfileStringW(const QString& section, const QString& key, const QString& defaultValue,
                                  QString& out, unsigned size, const QString& path);

// The leading decimal number of the value (optional sign); a value that does not start with a
// number gives 0; a missing file, section or key gives the default.
int GetPrivateProfileIntW(const QString& section, const QString& key, int defaultValue, const QString& path);

// Sets key to value in section, creating the file and the section when missing; a null value
// removes the key. Written as UTF-8 through a temporary file, so a failed write leaves the old file.
// The file is its owner's only (mode 0600 when new; an existing file keeps its owner's bits alone).
bool WritePrivateProfileStringW(const QString& section, const QString& key, const QString& value,
                                const QString& path);
