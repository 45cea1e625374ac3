#pragma once

#include <QString>

#include <pplx/pplxtasks.h>

#include <chrono>
#include <exception>

// What the editor's request clients add to the editor's interface, for a worker that must be able
// to stop, and how their last call ended. A call makes its requests on the calling thread and
// returns within the time-out of each (the longest the server may stay silent, 30 seconds unless
// set); cancelling the token (a task's stop) ends a request under way at once, and the call fails.
class RequestClient
{
public:
    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void SetCancellation(const pplx::cancellation_token& cancel) { m_cancel = cancel; }

    // Why the last call failed (empty after a success); for traces, never shown to a user as is.
    QString LastError() const { return m_lastError; }
    // What the last failed call threw, when it threw (null for a refusal by status and for a
    // failure before or after the request); the server's status, 0 when no answer came.
    std::exception_ptr LastException() const { return m_lastException; }
    int LastStatus() const { return m_lastStatus; }

protected:
    // A call starts with nothing said about the previous one.
    void Begin()
    {
        m_lastError.clear();
        m_lastException = nullptr;
        m_lastStatus = 0;
    }

    std::chrono::milliseconds m_timeout{std::chrono::seconds(30)};
    pplx::cancellation_token m_cancel = pplx::cancellation_token::none();
    QString m_lastError;
    std::exception_ptr m_lastException;
    int m_lastStatus = 0;
};
