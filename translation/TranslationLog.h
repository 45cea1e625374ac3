#pragma once

#include <QString>

// The translation tool's task log, as the command line and the window both record a run: the
// source subtitle file and the translated one.
namespace TranslationLog {

// Paths are made absolute: the history is read from anywhere.
void Finished(const QString& source, const QString& result);
void Failed(const QString& source);

} // namespace TranslationLog
