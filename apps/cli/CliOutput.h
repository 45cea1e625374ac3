#pragma once

#include <QString>

// Standard output carries results only; messages, usage and progress go to standard error.
// Each call writes whole lines and flushes.
void PrintLine(const QString& text);
void PrintError(const QString& text);
