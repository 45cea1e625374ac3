#pragma once

#include "service/ServiceTask.h"

#include <QString>

#include <optional>

// The last steps every voice-over track task shares: how a step of making it fails, and the track
// encoded in scratch taking a free name from the wanted one.
namespace TrackFile {

// A failure of making the track here: a file or sound that could not be read or written.
TaskEnd Failure(const QString& text);

// Copies the track at scratch under path, or the next free name beside it (path then names it),
// and removes scratch. Nothing when the track is the result; else how the task ends. A stop is
// heeded before the copy: once the file is whole under its name it is the result.
std::optional<TaskEnd> Settle(const QString& scratch, const ServiceTask::Worker& worker, QString& path);

} // namespace TrackFile
