#include "copywriting/CopywritingTask.h"

#include "copywriting/CopywritingJob.h"
#include "service/TransLog.h"

namespace CopywritingTask {

ServiceTask::Body Make(const QString& topic, const QString& outputFolder)
{
    // The log is made on the owner's thread rather than by the first worker that records.
    GetCopywritingLog();
    return [topic = topic.toStdString(), folder = outputFolder.toStdString()](const ServiceTask::Worker& worker) {
        CopywritingJob job(topic, folder);
        if (!job.FetchToken(worker.Token()))
            return job.Failure(kNoToken, kCodes);
        if (!job.Request(worker.Token()))
            return job.Failure(kRequestFailed, kCodes);
        return TaskEnd::Success(QVariant::fromValue(
            Result{QString::fromStdString(job.OutputPath()), QString::fromStdString(job.ResultText())}));
    };
}

Result ResultOf(const TaskEnd& end)
{
    return end.value.value<Result>();
}

} // namespace CopywritingTask
