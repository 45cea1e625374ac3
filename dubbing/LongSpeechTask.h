#pragma once

#include "dubbing/ShortSpeechTask.h"
#include "service/PolledClient.h"
#include "service/ServiceTask.h"

// A long text's speech as a service task: the long-text client creates the task with the service,
// polls it and downloads the audio, all on the worker. It succeeds with the audio file's path (a
// QString in the end's value) or fails with the client's reason; a stop leaves no file.
namespace LongSpeechTask {

// A poll code of the long-text client in words.
PolledClient::Step Reading(int code);

// The request as the short one has it; its aue chooses MP3 or WAV.
ServiceTask::Body Make(const ShortSpeechTask::Request& request);

} // namespace LongSpeechTask
