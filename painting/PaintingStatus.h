#pragma once

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
// The reference image: unreadable, gone since it was chosen, chosen but of a type that is not
// sent, or a path typed into the edit.
QString ReferenceUnreadable(const QString& path);
QString ReferenceGone(const QString& path);
QString ReferenceNotSent();
QString ReferenceTyped();

} // namespace PaintingStatus
