#pragma once

#include "dubbing/TrackPlan.h"
#include "service/ServiceTask.h"

#include <QString>

// One caption of a voice-over track spoken again: the speech that was in its slot is taken out,
// the new speech goes in at the caption's start (faster, up to the cap, when it is longer than
// the slot), and the rest of the track is kept as it was. The result is a new track file, never
// written over the old one. A task body, so a stop leaves nothing.
namespace TrackPatchTask {

struct Request
{
    QString track;   // the voice-over track
    QString speech;  // the caption's new speech
    qint64 start = 0;   // milliseconds: the caption's start
    qint64 slotEnd = 0; // where its slot ends: the next caption's start, or the caption's own end
    QString wantedPath; // numbered when taken
    bool mp3 = true;
    QString scratchFolder;
    double maxTempo = TrackPlan::kMaxTempo;
};

// The track as patched; the new file's path is a successful end's value.
ServiceTask::Body Make(const Request& request);

} // namespace TrackPatchTask
