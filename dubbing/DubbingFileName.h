#pragma once

#include <QString>

// The name a dubbing result is wanted under, for the window and the command line alike: "Audio"
// and the local time in the dubbing folder. The clients create the file exclusively and number it
// when that second's name is taken, so this is where a result starts looking, not where it ends.
namespace DubbingFileName {

QString Wanted(const QString& folder, const QString& extension);

} // namespace DubbingFileName
