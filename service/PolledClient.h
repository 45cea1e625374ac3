#pragma once

#include "service/ServiceTask.h"

#include <QString>

#include <functional>

class PollCodes;

// A client that polls on a worker of its own (long speech, images), driven as the body of a
// service task: the client is started with its codes going to the body, each code is reported as
// progress in words, and the code that ends the task ends the body. The client is stopped whatever
// ends the body, so nothing of it runs once the body has returned.
struct PolledClient
{
    // A poll code in words, whether it ends the task, and whether that end is a failure (a task
    // that gave up must not read as done).
    struct Step
    {
        QString state;
        bool ends = false;
        bool failed = false;
    };

    // Starts the client with its poll codes going to codes: 0 when it started, else the client's
    // own code for the failed start. On the worker.
    std::function<int(PollCodes& codes, const pplx::cancellation_token& cancel)> start;
    std::function<QString()> taskId;
    std::function<void()> stop;
    std::function<QString()> error;
    std::function<Step(int code)> reading;
    // The service's own words when it turned the task down, else empty; optional.
    std::function<QString()> refusal = {};

    // The progress code of the task's creation (text "task ID: created"); the clients' own codes
    // are small numbers.
    static constexpr int kCreated = -1000;

    // The body: progress "task ID: STATE" for every code. Success carries the code that ended the
    // task; a failed start, or a code that ends the task as failed, fails with the client's code
    // and error text, and carries the service's own words of a refusal (refusal) as its value.
    TaskEnd Drive(const ServiceTask::Worker& worker) const;
};
