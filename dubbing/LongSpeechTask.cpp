#include "dubbing/LongSpeechTask.h"

#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "service/PollCodes.h"
#include "service/TransLog.h"

#include <memory>

namespace LongSpeechTask {

PolledClient::Step Reading(int code)
{
    switch (code) {
    case CTxt2AudioNetOper::PollFinished:
        return {QStringLiteral("done"), true};
    case CTxt2AudioNetOper::PollPending:
        return {QStringLiteral("running"), false};
    case CTxt2AudioNetOper::PollGaveUp:
        return {QStringLiteral("its audio could not be fetched"), true, true};
    default:
        return {QStringLiteral("no answer, asking again"), false};
    }
}

ServiceTask::Body Make(const ShortSpeechTask::Request& request)
{
    GetDubbingLog();
    return [request](const ServiceTask::Worker& worker) {
        CTxt2AudioNetOper client;
        client.SetLogged(request.logged);
        const PolledClient driven{
            [&](PollCodes& codes, const pplx::cancellation_token& cancel) {
                client.SetProgressCallback(&PollCodes::Push);
                const int code = client.Start(
                    request.text.toStdString(), request.wantedPath.toStdString(),
                    request.aue == CTxt2AudioShortNetOper::kAueMp3 ? "mp3-16k" : "wav", request.voice,
                    request.speed, request.pitch, request.volume, &codes, cancel);
                return code == CTxt2AudioNetOper::Started ? 0 : code;
            },
            [&client] { return QString::fromStdString(client.TaskId()); }, [&client] { client.Stop(); },
            [&client] { return QString::fromStdString(client.GetErrorText()); }, &Reading};
        TaskEnd end = driven.Drive(worker);
        // A download the poller finished before it stopped was written whole.
        if (end.Succeeded())
            end.value = QString::fromStdString(client.GetOutputPath());
        return end;
    };
}

} // namespace LongSpeechTask
