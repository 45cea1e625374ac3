#pragma once

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
};

// The value of a successful end: the track's path under kPath, and under kRunOn the positions in
// cues (a QVariantList of int) whose speech runs on past its slot even sped up.
inline constexpr const char* kPath = "path";
inline constexpr const char* kRunOn = "runOn";

ServiceTask::Body Make(const Request& request);

} // namespace SpeechTrackTask
