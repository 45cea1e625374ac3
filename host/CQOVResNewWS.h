#pragma once

#include "host/SHuaweiObsPolicy.h"

#include <QString>

#include <pplx/pplxtasks.h>

#include <chrono>
#include <exception>

// The editor's object-store client: a signed PUT that streams a local file into the store and a
// signed DELETE of an object. Each call makes one request on the calling thread and returns
// within the time-out of that request (the longest the store may stay silent, 30 seconds unless
// set), whatever the store does.
class CQOVResNewWS
{
public:
    CQOVResNewWS() = default;

    // Uploads policy.localFilePath under policy.objectKey: non-zero only when the store answered
    // with a 2xx status. The file is read twice, once for its Content-MD5 and once as the body,
    // never whole into memory.
    int huaweiObsUploadFile(const SHuaweiObsPolicy& policy);
    // Deletes policy.objectKey: non-zero only when the store answered with a 2xx status.
    int huaweiObsDeleteFile(const SHuaweiObsPolicy& policy);

    // Why the last call failed (empty after a success); for traces, never shown to a user as is.
    QString LastError() const { return m_lastError; }
    // What the last failed call threw, when it threw.
    std::exception_ptr LastException() const { return m_lastException; }
    // The store's status of the last call, 0 when no answer came.
    int LastStatus() const { return m_lastStatus; }

    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // Cancelling cancel (a task's stop) ends the call under way at once.
    void SetCancellation(const pplx::cancellation_token& cancel) { m_cancel = cancel; }

private:
    bool Fail(const QString& error);

    std::chrono::milliseconds m_timeout{std::chrono::seconds(30)};
    pplx::cancellation_token m_cancel = pplx::cancellation_token::none();
    QString m_lastError;
    std::exception_ptr m_lastException;
    int m_lastStatus = 0;
};
