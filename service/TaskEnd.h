#pragma once

#include <QString>
#include <QVariant>

#include <cstring>

// The one error model of every service task: what happened, the client's own code for it (the
// numbers its face has always returned) and which client's numbers those are, and the text a user
// is shown.
struct TaskError
{
    // Set from what happened, not from which step failed: the transport knows a refused connection
    // from a time-out, and the client knows a refusal in the reply from a reply it cannot read.
    enum class Kind {
        None,
        Refused,     // no connection to the service's address
        TimedOut,    // no reply in time, or the task did not end within the time it was given
        Certificate, // the service's certificate was refused
        Network,     // the connection failed on the way (closed before the reply's status)
        Status,      // the service answered with an HTTP status other than success
        Reply,       // the reply could not be read: not what the service promises, cut, too large
        Service,     // the service answered, and refused or failed
        Local,       // a file or setting here could not be read or written
    };
    Kind kind = Kind::None;
    int code = 0;
    QString text;
    // Whose numbers code is (a client's constant); codes of different clients overlap.
    const char* domain = "";

    bool In(const char* codes) const { return std::strcmp(domain, codes) == 0; }
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
    static TaskEnd Failure(TaskError error, QVariant value = {})
    {
        return {Way::Failed, std::move(error), std::move(value)};
    }
    static TaskEnd Failure(TaskError::Kind kind, int code, QString text, QVariant value = {})
    {
        return Failure({kind, code, std::move(text)}, std::move(value));
    }
    static TaskEnd Stop() { return {Way::Stopped, {}, {}}; }
};
