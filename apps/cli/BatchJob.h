#pragma once

#include "apps/cli/TaskWait.h"

#include <QString>

#include <optional>

class ServiceTask;

// The work of one source, topic, text or description, as a command runs it alone or in a batch:
// it starts one service task, the command line waits on it with the others, and its end becomes
// the item's result, printed by the item's own CommandRun as soon as it is known.
class BatchJob
{
public:
    virtual ~BatchJob() = default;

    // Starts the item's work on task. An exit status when the item ended without it (a source
    // that is not there); the item's failure has been printed then.
    virtual std::optional<int> Start(ServiceTask& task) = 0;
    // A progress report of the task: the state for the progress line of a command run alone, or
    // nothing.
    virtual QString Read(int /*code*/, const QString& text) { return text; }
    // Whether the item takes one of the batch's places from its start, and whether it still does
    // after a progress code: a subtitle source holds one while its audio is extracted, and the
    // wait for the service that follows overlaps freely with the others.
    virtual bool HoldsPlace() const { return true; }
    virtual bool HoldsPlaceAfter(int /*code*/) const { return true; }
    // The item's result from how the wait ended and the task's end; its exit status.
    virtual int Finish(TaskWait::Ending ending, const TaskEnd& end) = 0;
};
