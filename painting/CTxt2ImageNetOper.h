#pragma once

#include "painting/ImgRetData.h"
#include "service/PolledSteps.h"
#include "service/TokenClient.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <cstdint>
#include <atomic>
#include <vector>

// Turns a prompt (and optionally a reference image) into images on disk, as the steps of one task:
// creates a task with the image service, polls it every 200 ms, downloads the images, and records
// the task in the painting log. Each poll is reported as progress with its code.
class CTxt2ImageNetOper : public PolledSteps, public TokenClient
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, NotCreated = -2 };
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollError = -1 };
    // Whose numbers a failed task's code is (TaskError::domain).
    static constexpr const char* kCodes = "painting";
    static constexpr int32_t kPollIntervalMs = 200;

    struct Request
    {
        utility::string_t prompt;
        utility::string_t outputFolder; // ends in "/"
        int32_t width = 0;
        int32_t height = 0;
        int32_t count = 1;
        utility::string_t referenceImagePath;
    };

    CTxt2ImageNetOper();
    explicit CTxt2ImageNetOper(Request request);

    // The token and the creation: 1 started, -1 no token, -2 the service made no task. Cancelling
    // cancel ends both requests.
    int Start(const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // One query: PollFailed, PollPending, PollError (the task failed), or PollFinished with the
    // results listed and their images still to be fetched.
    int32_t QueryTask(const pplx::cancellation_token& cancel);
    // Downloads every result and records the task; false when stopped on the way.
    bool DownloadImages(const pplx::cancellation_token& cancel);

    // The steps of the task. A failure carries the service's own words of a refusal as its value;
    // a success a PaintingOutcome.
    std::optional<TaskEnd> Create(const ServiceTask::Worker& worker) override;
    QString TaskId() const override { return QString::fromStdString(m_taskId); }
    Polled Poll(const ServiceTask::Worker& worker, TaskEnd& end) override;
    std::optional<TaskEnd> Fetch(const ServiceTask::Worker& worker) override;
    std::chrono::milliseconds Interval() const override { return std::chrono::milliseconds(kPollIntervalMs); }

    // A copy of the images of the finished task, taken under the lock the worker lists them under:
    // the code 2 message travels through the owner's event queue, which orders nothing by itself.
    std::vector<ImgRetData> Results() const { return LockedCopy(m_fieldsMutex, m_results); }

    // What a poll reads from a query reply that arrived, without the network: PollError for the
    // service's error (recorded in the log), PollPending, or PollFinished with the results listed
    // and their images still to be fetched. A reply of the wrong shape throws
    // web::json::json_exception.
    int32_t ReadQueryReply(const web::json::value& reply);

private:
    bool CreateTask(const pplx::cancellation_token& cancel);
    bool ReadResult(const web::json::value& data);
    void AppendError(const utility::string_t& text);

    Request m_request;

    uint64_t m_logId = 0;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    std::vector<ImgRetData> m_results;
    std::atomic<bool> m_refused{false}; // the error text is the service's own words of a refusal
};
