#pragma once

#include "dubbing/TrackPlan.h"
#include "service/ServiceTask.h"

#include <QString>
#include <QVariantMap>

#include <vector>

// Lays the captions' speech files into one voice-over track, as a task: decoding, speeding up and
// mixing take a while for a long film, and a stop cuts them short. The track is mixed and encoded
// a few seconds at a time, holding only the speech those seconds reach, so what it takes in memory
// does not grow with the track's length. The track is written at the
// first speech file's sample rate, mono, as a result file (never over another file); nothing of it
// is left when the task fails or is stopped.
namespace SpeechTrackTask {

struct Cue
{
    qint64 start = 0; // milliseconds
    qint64 end = 0;
    QString speech;   // the service's audio file for the caption
};

struct Request
{
    std::vector<Cue> cues; // in the order of their starts
    QString wantedPath;    // numbered when taken
    bool mp3 = true;
    QString scratchFolder; // where the track is encoded before it takes its name
    // How speech is fitted to its slot (the rules' samples given in milliseconds here).
    double maxTempo = TrackPlan::kMaxTempo;
    qint64 gap = 0;
    qint64 trackEnd = 0;
    bool smooth = false;
};

// The value of a successful end: the track's path under kPath, under kRunOn the positions in
// cues (a QVariantList of int) whose speech runs on past its slot even sped up, and under kTempos
// and kBorrowed each cue's speed factor and the milliseconds it took from the silence after it.
inline constexpr const char* kPath = "path";
inline constexpr const char* kRunOn = "runOn";
inline constexpr const char* kTempos = "tempos";
inline constexpr const char* kBorrowed = "borrowed";
// And under kNeeded the speed each cue's slot would take, were there no cap.
inline constexpr const char* kNeeded = "needed";

ServiceTask::Body Make(const Request& request);

} // namespace SpeechTrackTask
