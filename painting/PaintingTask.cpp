#include "painting/PaintingTask.h"

#include "service/TransLog.h"

namespace PaintingTask {

ServiceTask::Body Make(const CTxt2ImageNetOper::Request& request)
{
    // The log is made on the owner's thread, before any worker records in it.
    GetPaintingLog();
    return [request](const ServiceTask::Worker& worker) {
        CTxt2ImageNetOper client(request);
        return PolledSteps::Drive(client, worker);
    };
}

} // namespace PaintingTask
