#pragma once

#include <QByteArray>
#include <QString>

// The name of a generated text's file, for the window and the command line alike: the local time
// in the output folder, numbered when that second's name is taken.
namespace CopywritingFileName {

// Writes the text as a new file, whole or not at all. Returns its path; when it cannot be
// written, nothing is left and the path is still the name it would have had, for the log record.
QString Write(const QString& folder, const QByteArray& text, bool* written = nullptr);

} // namespace CopywritingFileName
