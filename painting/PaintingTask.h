#pragma once

#include "painting/CTxt2ImageNetOper.h"
#include "service/ServiceTask.h"

// A description's images as a service task, the same for the window and the command line: the
// client creates the task, polls it and downloads the images on the task's worker. Progress carries
// the client's poll codes; success carries a PaintingOutcome, a failure the client's code and text
// (and the service's own words of a refusal as its value); a stop keeps the images already whole.
namespace PaintingTask {

ServiceTask::Body Make(const CTxt2ImageNetOper::Request& request);

} // namespace PaintingTask
