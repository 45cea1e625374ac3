#include "dubbing/LongSpeechTask.h"

#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "service/TransLog.h"

namespace LongSpeechTask {

ServiceTask::Body Make(const ShortSpeechTask::Request& request)
{
    GetDubbingLog();
    return [request](const ServiceTask::Worker& worker) {
        CTxt2AudioNetOper client({request.text.toStdString(), request.wantedPath.toStdString(),
                                  request.aue == CTxt2AudioShortNetOper::kAueMp3 ? "mp3-16k" : "wav", request.voice,
                                  request.speed, request.pitch, request.volume, request.logged});
        return PolledSteps::Drive(client, worker);
    };
}

} // namespace LongSpeechTask
