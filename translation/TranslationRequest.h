#pragma once

#include "translation/TranslationGlossary.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// One caption as a request asks for it: its number in the input as text, its text on one line and
// the characters its translation may take.
struct TranslationLine
{
    QString id;
    QString text;
    int maxChars = 0;
};

// A caption before the batch: its source, and its translation once known (empty before).
struct TranslationContext
{
    QString source;
    QString target;
};

// The user message of one translation request: a JSON object serialized without white space, its
// members in the order a reader of the traces expects them.
namespace TranslationRequest {

struct Content
{
    QString from;
    QString to;
    std::vector<TranslationGlossary::Entry> glossary;
    std::vector<TranslationContext> context;
    std::vector<TranslationLine> lines;
    // Sentences added to the instructions when lines are asked again: which term a line left out,
    // which line must be shorter.
    QStringList notes;
};

std::string Build(const Content& content);
// What names the answer in the cache: the content without its context, which depends on which
// batch before it happened to come back first, as a hexadecimal digest.
QString Key(const Content& content);

} // namespace TranslationRequest
