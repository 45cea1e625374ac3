#include "dubbing/ShortSpeechTask.h"

#include "dubbing/CTxt2AudioShortNetOper.h"
#include "service/TransLog.h"

namespace ShortSpeechTask {

ServiceTask::Body Make(const Request& request)
{
    // The log is made on the owner's thread rather than by the first worker that records.
    GetDubbingLog();
    return [request](const ServiceTask::Worker& worker) {
        CTxt2AudioShortNetOper client;
        client.SetLogged(request.logged);
        utility::string_t error;
        if (!client.Synthesize(request.text.toStdString(), error, request.wantedPath.toStdString(), request.speed,
                               request.pitch, request.volume, request.voice, request.aue, worker.Token()))
            return TaskEnd::Failure({client.FailureKind(), 0, QString::fromStdString(error), kCodes});
        return TaskEnd::Success(QString::fromStdString(client.OutputPath()));
    };
}

} // namespace ShortSpeechTask
