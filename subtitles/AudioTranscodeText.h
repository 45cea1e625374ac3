#pragma once

#include <QString>

// The extraction's and the duration's results told in a sentence a user reads, naming the file
// concerned, for whoever shows them (the command line, the subtitles tool).

// Empty for TRANSCODE_OK. start and end are the range asked for in seconds; systemError is what
// the watch of the extraction reported, or 0 when the caller did not watch it.
QString TranscodeResultText(int code, const QString& source, const QString& destination, int start, int end,
                            int systemError = 0);

// Empty for a duration of 0 seconds or more.
QString DurationResultText(double seconds, const QString& path);
// The words for a range whose end is not after its start (seconds).
QString EmptyRangeText(double start, double end);
