#pragma once

#include "service/ServiceTask.h"

class WaveTransSrt;

// One subtitle task from its source to its file, as the body of a service task: a video's audio is
// extracted first, then the task's engine recognises it and the subtitle files are written. The
// task's notifications are reported as progress, with what the subtitles tool shows for them; the
// end carries the SRT file's path, or the failure in the task's own words (a failed extraction is
// a local failure with the extractor's code). A stop ends the start's requests, the extraction and
// the engine. The task reports to nobody once the body has returned.
namespace SubtitleChain {

TaskEnd Run(WaveTransSrt& task, const ServiceTask::Worker& worker);

} // namespace SubtitleChain
