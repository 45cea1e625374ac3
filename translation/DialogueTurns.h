#pragma once

#include <QString>

// A caption where two or more speakers talk: one line each, each begun with a dash. Translations
// come back as one line and are laid out afresh, so the form is noted before and put back after.
namespace DialogueTurns {

// How many speakers a caption's lines give; 0 when it is no dialogue.
int Speakers(const QString& caption);
// text with one turn to a line, when it has as many turns as speakers; otherwise text as it is.
QString OneALine(const QString& text, int speakers);

} // namespace DialogueTurns
