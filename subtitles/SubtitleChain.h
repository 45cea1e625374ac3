#pragma once

#include "service/ServiceTask.h"

class WaveTransSrt;

// One subtitle task from its source to its file, as the body of a service task, every step on the
// body's own worker: a video's audio is extracted first (a few attempts), then the task's engine
// recognises it, polled from here, and the subtitle files are written. The task's notifications
// are reported as progress, with what the subtitles tool shows for them; the end carries the SRT
// file's path, or the failure in the task's own words (a failed extraction is a local failure with
// the extractor's code). A stop ends the requests, the extraction and the polling. The body never
// waits for another worker, so any number of chains can run on the pool at once.
namespace SubtitleChain {

TaskEnd Run(WaveTransSrt& task, const ServiceTask::Worker& worker);

} // namespace SubtitleChain
