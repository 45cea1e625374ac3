#pragma once

#include "dubbing/ShortSpeechTask.h"
#include "service/ServiceTask.h"

// A long text's speech as a service task: the long-text client creates the task with the service,
// polls it and downloads the audio, all on the task's worker. Progress carries the client's poll
// codes; the task succeeds with the audio file's path (a QString in the end's value) or fails with
// the client's code and reason; a stop leaves no file.
namespace LongSpeechTask {

// The request as the short one has it; its aue chooses MP3 or WAV.
ServiceTask::Body Make(const ShortSpeechTask::Request& request);

} // namespace LongSpeechTask
