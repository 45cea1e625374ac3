#pragma once

#include <QString>

// The ISO 639-2 codes containers tag streams with, from what a user writes or a file's name says.
namespace LanguageCode {

// "es" -> "spa", "zh" -> "chi"; a three-letter code is taken as it is. Empty when code is neither.
QString Iso6392(const QString& code);

// The language a subtitle file's name gives before its extension ("film.es.srt" -> "spa");
// empty when it gives none.
QString FromFileName(const QString& path);

} // namespace LanguageCode
