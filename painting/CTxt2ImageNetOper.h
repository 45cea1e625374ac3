#pragma once

#include "painting/ImgRetData.h"
#include "service/MessageNumbers.h"
#include "service/PollingWorker.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <cstdint>
#include <atomic>
#include <mutex>
#include <vector>

class QObject;

// Turns a prompt (and optionally a reference image) into images on disk: creates a task with the
// image service, polls it every 200 ms on a worker, downloads the images, and records the task in
// the painting log. Each poll is reported to the window as message 8025 with the poll code.
class CTxt2ImageNetOper
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, NotCreated = -2 };
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollError = -1 };
    static constexpr int kProgressMessage = MessageNumbers::kImageProgress;

    using ProgressCallback = void (*)(void* context, int32_t code);

    CTxt2ImageNetOper();
    ~CTxt2ImageNetOper();
    CTxt2ImageNetOper(const CTxt2ImageNetOper&) = delete;
    CTxt2ImageNetOper& operator=(const CTxt2ImageNetOper&) = delete;

    // Gets a token and creates the task on the calling thread, then polls on a worker that posts
    // every poll's code to window. 1 started, -1 no token, -2 the service made no task. Cancelling
    // cancel ends the token and create requests.
    int Start(const utility::string_t& prompt, const utility::string_t& outputFolder, int32_t width, int32_t height,
              int32_t count, const utility::string_t& referenceImagePath, QObject* window,
              const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // Where the poller's codes go instead of window's message queue (window is then the callback's
    // context); for a caller that has no window. Set before Start.
    void SetProgressCallback(ProgressCallback callback) { m_report = callback; }
    // Ends polling (cancelling a request in flight) and waits for the worker: 0, or -1.
    int Stop();

    utility::string_t GetErrorText() const;
    // Whether the error text is the service's own words for turning the task down (a creation
    // without a task, or a query with an error code), rather than the client's.
    bool Refused() const { return m_refused; }
    // A copy of the images of the finished task, taken under the lock the worker lists them under:
    // the code 2 message travels through the owner's event queue, which orders nothing by itself.
    std::vector<ImgRetData> Results() const;
    const utility::string_t& TaskId() const { return m_taskId; }

    // What a poll reads from a query reply that arrived, without the network: PollError for the
    // service's error (recorded in the log), PollPending, or PollFinished with the results listed
    // and their images still to be fetched. A reply of the wrong shape throws
    // web::json::json_exception.
    int32_t ReadQueryReply(const web::json::value& reply);

private:
    bool CreateTask(const utility::string_t& prompt, int32_t width, int32_t height, int32_t count,
                    const utility::string_t& referenceImagePath, const pplx::cancellation_token& cancel);
    int32_t QueryTask(const pplx::cancellation_token& cancel);
    bool ReadResult(const web::json::value& data);
    // Downloads every result and records the task; false when stopped on the way.
    bool DownloadImages(const pplx::cancellation_token& cancel);
    void SetError(const utility::string_t& text);
    void AppendError(const utility::string_t& text);

    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    uint64_t m_logId = 0;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    mutable std::mutex m_resultsMutex; // the owner reads the results the worker lists
    std::vector<ImgRetData> m_results;
    utility::string_t m_outputFolder;
    mutable std::mutex m_errorMutex; // the window reads the text while the worker may append
    utility::string_t m_errorText;
    int32_t m_pollInterval = 200;
    ProgressCallback m_callback = nullptr;
    ProgressCallback m_report = nullptr;
    std::atomic<bool> m_refused{false};
    void* m_context = nullptr;
    PollingWorker m_worker;
};
