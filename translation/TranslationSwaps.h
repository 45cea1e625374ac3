#pragma once

#include "translation/TranslationRequest.h"

#include <QString>

#include <map>
#include <set>
#include <vector>

// Lines a model answered with each other's ids. Each answer is read once, so a swap is told only
// by how the translations fit the sources: the length a translation takes against its source's,
// and the numbers, names and untranslated words that carry over into it.
namespace TranslationSwaps {

// The ids of the lines, among those answered, whose translations fit each other's sources clearly
// better than their own.
std::set<QString> Find(const std::vector<TranslationLine>& lines, const std::map<QString, QString>& answered);

} // namespace TranslationSwaps
