#pragma once

#include <QString>

#include <pplx/pplxtasks.h>

#include <chrono>
#include <exception>

// The editor's HTTP resource client: downloads one address into a local file.
class CQOVResClientHttpClient
{
public:
    explicit CQOVResClientHttpClient(const QString& userAgent);

    // Beyond the editor's interface, for a worker that must be able to stop: how long a request
    // may wait for the server (the library's 30 seconds by default), and a token whose
    // cancellation ends a download in flight. A cancelled download fails like any other.
    void SetTimeout(std::chrono::milliseconds timeout);
    void SetCancellation(const pplx::cancellation_token& cancel);

    // Downloads url into localFile and returns non-zero on success (status 200, whole body
    // written). The body goes to a temporary name beside the target first and is renamed at the
    // end, so a failed download never leaves a partial file under the final name; an existing
    // file of that name is replaced only by a complete download. extra, window and the two numbers
    // are accepted for the editor's signature and not used.
    int DownLoad_New(const QString& url, const QString& localFile, const QString& extra, void* window, int, int);

    // Why the last download failed (empty after a success).
    QString LastError() const;
    // What the last failed download threw, when it threw (null for a refusal by status, a short
    // body or a file that could not be written); its status, when one arrived.
    std::exception_ptr LastException() const { return m_lastException; }
    int LastStatus() const { return m_lastStatus; }

private:
    QString m_userAgent;
    QString m_lastError;
    std::exception_ptr m_lastException;
    int m_lastStatus = 0;
    std::chrono::milliseconds m_timeout{30000};
    pplx::cancellation_token m_cancel = pplx::cancellation_token::none();
};
