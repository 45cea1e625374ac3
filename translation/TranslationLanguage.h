#pragma once

#include "mediakit/Caption.h"

#include <QString>

#include <vector>

// What translation needs to know of a language by its two-letter code: how it is written, how fast
// its captions are read, and a guess at the language captions are in.
namespace TranslationLanguage {

// Two lower-case letters, as ISO 639-1 writes a language.
bool IsCode(const QString& code);
// Written with spaces between words: terms are matched as whole words there.
bool Spaced(const QString& code);
// Characters a viewer reads in a second.
int ReadingSpeed(const QString& code);
// The characters a caption line holds in the language, when the user does not say.
int LineChars(const QString& code);
// The language the captions are most likely in, from their script and common words; "en" when
// nothing tells.
QString Guess(const std::vector<Caption>& captions);

} // namespace TranslationLanguage
