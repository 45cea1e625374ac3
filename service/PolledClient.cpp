#include "service/PolledClient.h"

#include "service/PollCodes.h"

TaskEnd PolledClient::Drive(const ServiceTask::Worker& worker) const
{
    PollCodes codes;
    if (const int code = start(codes, worker.Token()); code != 0) {
        stop();
        return TaskEnd::Failure(TaskError::Kind::Service, code, error(), refusal ? refusal() : QString());
    }
    const QString id = taskId();
    worker.Report(kCreated, QStringLiteral("task %1: created").arg(id));
    for (;;) {
        const std::optional<int32_t> code = codes.Next(worker);
        if (!code) {
            stop();
            return TaskEnd::Stop();
        }
        const Step step = reading(*code);
        worker.Report(*code, QStringLiteral("task %1: %2").arg(id, step.state));
        if (step.ends) {
            stop();
            if (step.failed)
                return TaskEnd::Failure(TaskError::Kind::Service, *code, error(), refusal ? refusal() : QString());
            return TaskEnd::Success(*code);
        }
    }
}
