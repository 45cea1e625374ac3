#pragma once

#include "translation/CaptionTranslation.h"

#include <QJsonArray>
#include <QString>

// What `translate` tells of a finished translation: the summary line on standard error and the
// captions of --json.
namespace TranslateReport {

// "48 captions translated in 2 requests; 3 asked again; 1 glossary miss (caption 17: "Term");
// 2 over their reading speed (captions 5, 31)"; a part with nothing to tell is left out, and past
// ten captions the rest are counted.
QString Summary(const CaptionTranslation& translation);
// Each caption's id, characters, characters a second, glossary misses and whether it is too long.
QJsonArray Captions(const CaptionTranslation& translation);

} // namespace TranslateReport
