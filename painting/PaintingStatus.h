#pragma once

#include <QString>

#include <cstdint>

// What the painting window's status line says, and whether a poll code ends the generation.
namespace PaintingStatus {

struct Progress
{
    bool known = false;  // other codes change nothing
    bool ends = false;   // the generate button may be used again
    QString text;
};

// The status for a poll code the client's worker reported; errorText is the client's.
Progress ForPollCode(int32_t code, const QString& errorText);
// After a start that did not create a task.
QString ForStartFailure(const QString& errorText);
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
