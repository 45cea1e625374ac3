#pragma once

#include <QString>
#include <QVariant>

// The one error model of every service task: what kind of failure, the client's own code for it
// (the numbers its face has always returned), and the text a user is shown.
struct TaskError
{
    enum class Kind {
        None,
        Network, // no connection, no reply in time, a reply cut off
        Service, // the service answered, and refused or failed
        Reply,   // the service's reply was not what it promises
        Local,   // a file could not be read or written here
        TimedOut, // the task did not end within the time it was given
    };
    Kind kind = Kind::None;
    int code = 0;
    QString text;
};

// How a run of a task ended: exactly one of these per start. A stopped run is never a success, and
// a run that finished before the stop reached it is one.
struct TaskEnd
{
    enum class Way { Succeeded, Failed, Stopped };
    Way way = Way::Stopped;
    TaskError error;
    // The result's copy, for the owner's thread (a path, a text, a list of files).
    QVariant value;

    bool Succeeded() const { return way == Way::Succeeded; }
    bool Failed() const { return way == Way::Failed; }
    bool Stopped() const { return way == Way::Stopped; }

    static TaskEnd Success(QVariant value = {}) { return {Way::Succeeded, {}, std::move(value)}; }
    static TaskEnd Failure(TaskError::Kind kind, int code, QString text, QVariant value = {})
    {
        return {Way::Failed, {kind, code, std::move(text)}, std::move(value)};
    }
    static TaskEnd Stop() { return {Way::Stopped, {}, {}}; }
};
