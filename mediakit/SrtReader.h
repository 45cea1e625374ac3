#pragma once

#include "mediakit/Caption.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Reads subtitles from any SRT file, the module's own or another tool's: UTF-8 with or without a
// byte-order mark, UTF-16 with one, or any character set the detector tells (GBK of Chinese
// systems' tools, windows-1252 of Western ones), CR LF or LF, numbers missing or out of order,
// blank lines and spaces where they should not be. A file that holds no cue at all is refused, and
// so is one whose character set cannot be told, unless the user names it.
namespace SrtReader {

// The cues of an SRT text in file order; false, with a sentence in error, when it is not one.
// encoding: the character set the user named; empty: detected. unsure (when given) is set when
// the text was refused because its character set could not be told, so that one may be asked for.
bool Parse(const QByteArray& bytes, std::vector<Caption>& captions, QString& error,
           const QString& encoding = QString(), bool* unsure = nullptr);

// One time as a timing line writes it ("00:01:02,500", hours optional, ',' or '.'); nothing when
// it is not one.
std::optional<int32_t> ParseTime(const QString& text);

// The same for a file; error names it, whether it is missing or not subtitles.
bool Read(const QString& path, std::vector<Caption>& captions, QString& error, const QString& encoding = QString());

} // namespace SrtReader
