#pragma once

#include <QString>

// The words of a media library's failure, for the track's decoding, tempo and encoding steps.
namespace TrackAudioError {

// Sets error to "could not WHAT: REASON" for the library's result code and returns false, so a
// step can end with "return Note(…)".
bool Note(QString& error, const QString& what, int result);

} // namespace TrackAudioError
