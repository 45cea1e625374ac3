#pragma once

#include "copywriting/CopywritingJob.h"
#include "service/TaskRun.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// Turns one topic into generated text through the chat service: the text is saved as a new file in
// the output folder and recorded in the copywriting task log. The face a host sees: Start asks for
// the token on the calling thread, the request runs on a worker of the task pool, and the
// completion handler is called on that worker. The windows and the command line use
// CopywritingTask instead, which never blocks the caller.
class CCopywritingNetOper
{
public:
    // Result codes of Start and of the completion handler.
    enum Result : int32_t { Success = CopywritingJob::Success, NoToken = CopywritingJob::NoToken,
                            RequestFailed = CopywritingJob::RequestFailed };

    using CompletionHandler = void (*)(void* context, int32_t code);

    CCopywritingNetOper() = default;
    // Cancels a running request and waits for its worker; the handler is not called once
    // destruction has begun.
    ~CCopywritingNetOper();
    CCopywritingNetOper(const CCopywritingNetOper&) = delete;
    CCopywritingNetOper& operator=(const CCopywritingNetOper&) = delete;

    // The handler that later requests report to.
    void SetCompletionHandler(CompletionHandler handler);

    // Gets an access token on the calling thread, then starts the request on a worker. Returns 1
    // when started, -1 when no token was obtained (GetErrorText says why; no handler call).
    int Start(const utility::string_t& topic, const utility::string_t& outputFolder, void* context, int unused = 0);

    // Copies of the last run's texts, taken under the lock its worker hands them over with.
    utility::string_t GetErrorText() const;
    utility::string_t ResultText() const;
    utility::string_t OutputPath() const;

    // What a request makes of a reply that arrived with status 200, without the network: Success
    // with the result text kept, or RequestFailed with the error text set. A member of the wrong
    // type throws web::json::json_exception.
    int32_t ReadReply(const web::json::value& reply);

private:
    void Publish(const CopywritingJob& job);

    mutable std::mutex m_mutex; // the three texts below: the worker writes what the owner reads
    utility::string_t m_errorText;
    utility::string_t m_resultText;
    utility::string_t m_outputPath;
    CompletionHandler m_handler = nullptr;
    // Read by the worker before it calls the handler; the destructor waits for the worker.
    std::atomic<bool> m_closing{false};
    TaskRun m_run;
};
