#pragma once

#include "painting/ReferenceImageChoice.h"

#include <QString>

#include <cstdint>

// What the painting window's status line says.
namespace PaintingStatus {

// The status for a poll code the client's worker reported while the task runs; empty for the codes
// that change nothing.
QString ForProgress(int32_t code);
// After a task that ended: with its images, or failed (errorText is the client's).
QString Generated();
QString ForFailure(const QString& errorText);
// After showing results: none passed review (there were results, or none at all), or some of
// those shown did not download.
QString ForNoPassedImage(const QString& errorText, bool anyResult);
QString ForMissingImages(int missing);

QString Generating();
// What a reference image's outcome says of path: unreadable, gone since it was chosen, chosen but
// of a type that is not sent, or typed into the edit. Null for the outcomes that say nothing.
QString ForReference(ReferenceImageChoice::Outcome outcome, const QString& path);

} // namespace PaintingStatus
