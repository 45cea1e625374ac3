#pragma once

#include <QString>

class QFile;

// The name of a generated text's file, for the window and the command line alike: the local time
// in the output folder, numbered when that second's name is taken.
namespace CopywritingFileName {

// Creates the file and opens it for writing. Returns its path; when it cannot be created, file
// stays closed and the path is still the name it would have had, for the log record.
QString Create(const QString& folder, QFile& file);

} // namespace CopywritingFileName
