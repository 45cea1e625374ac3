#pragma once

#include "service/TaskEnd.h"

#include <QString>

#include <pplx/pplxtasks.h>

#include <chrono>

// What a subtitle task needs of a recognition engine, whichever service it talks to: a start that
// can be cancelled, one poll, and what each poll's code means for the task. The task polls on its
// own thread; an engine has none.
class RecognitionEngine
{
public:
    enum class Step {
        Progress,  // still recognising (a failed poll included: the poller asks again)
        Report,    // something to report that does not change the state
        Failed,
        Finished,  // the subtitle files are written
    };
    struct Outcome
    {
        Step step = Step::Progress;
        QString srtPath;  // Finished: the file written, renumbered when its name was taken
        QString failure;  // Failed because the result could not be saved: why
    };

    // interval: the wait between two polls; codes: whose numbers the engine's codes are (TaskError).
    RecognitionEngine(std::chrono::milliseconds interval, const char* codes) : m_interval(interval), m_codes(codes) {}
    virtual ~RecognitionEngine() = default;

    // Starts recognising audio into srt: 0 started, else the engine's own code. A cancelled token
    // ends the start's requests. taskId gets the service's identifier of the task.
    virtual int Create(const QString& audio, const QString& srt, int model, const pplx::cancellation_token& cancel,
                       QString& taskId) = 0;
    // One poll of a created task, cut short by cancel: the code the poller would report.
    virtual int Poll(const pplx::cancellation_token& cancel) = 0;
    std::chrono::milliseconds Interval() const { return m_interval; }
    // What a poll's code means. A code that finishes the task has the subtitle files written first,
    // on the polling thread.
    virtual Outcome Read(int code) = 0;
    // What the user is shown for the last code while the task is neither running nor ended.
    virtual QString Status(int lastCode) const = 0;
    // How the last failure came about (TaskError).
    virtual TaskError::Kind FailureKind() const = 0;
    const char* Codes() const { return m_codes; }
    // The transport's words for the last request that failed on its way, when the status does not
    // already carry them.
    virtual QString TransportReason() const { return {}; }

private:
    const std::chrono::milliseconds m_interval;
    const char* const m_codes;
};
