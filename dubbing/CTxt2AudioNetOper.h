#pragma once

#include "service/PolledSteps.h"
#include "service/TokenClient.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <cstdint>

// Long-text synthesis as the steps of one task: creates a task with the service, polls it every
// 500 ms and downloads the audio when it succeeds. Each poll is reported as progress with its code.
class CTxt2AudioNetOper : public PolledSteps, public TokenClient
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, NotCreated = -2 };
    // PollFailed: this poll failed, polling goes on. PollGaveUp: the audio of a finished task could
    // not be downloaded in kDownloadAttempts tries; the task ends, and the error text and the log
    // record (state -1, the text as its files) say why.
    // Ready: the task succeeded and its audio is to be fetched (a poll's code, never reported).
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollGaveUp = -1, PollReady = 3 };
    // Whose numbers a failed task's code is (TaskError::domain).
    static constexpr const char* kCodes = "long speech";
    static constexpr int kDownloadAttempts = 3;
    static constexpr int32_t kPollIntervalMs = 500;

    // format is "mp3-16k" or "wav". The audio goes to outputPath, or to the next free numbered
    // name beside it when that is taken (GetOutputPath()).
    struct Request
    {
        utility::string_t text;
        utility::string_t outputPath;
        utility::string_t format;
        int32_t voice = 0;
        int32_t speed = 5;
        int32_t pitch = 5;
        int32_t volume = 5;
        // Off for speech that is only a part of a larger result (a caption of a track), which the
        // dubbing log records once, as a whole.
        bool logged = true;
    };

    CTxt2AudioNetOper();
    explicit CTxt2AudioNetOper(Request request);
    ~CTxt2AudioNetOper() override;

    // The token and the creation: 1 started, -1 no token, -2 the service made no task (the reason
    // is in the error text and, as the record's files, in the dubbing log). Cancelling cancel ends
    // both requests.
    int Start(const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // One query: PollFailed, PollPending, or PollReady with the audio's address read.
    int32_t Poll(const pplx::cancellation_token& cancel);
    // The audio of a ready task: PollFinished, PollFailed (asked for again after the next poll)
    // or PollGaveUp after kDownloadAttempts failures.
    int32_t FetchAudio(const pplx::cancellation_token& cancel);

    // The steps of the task: progress code and "task ID: STATE" for every poll, success with the
    // audio's path, failure with the code and the error text.
    std::optional<TaskEnd> Create(const ServiceTask::Worker& worker) override;
    QString TaskId() const override { return QString::fromStdString(ServiceTaskId()); }
    Polled Poll(const ServiceTask::Worker& worker, TaskEnd& end) override;
    std::optional<TaskEnd> Fetch(const ServiceTask::Worker& worker) override;
    std::chrono::milliseconds Interval() const override { return std::chrono::milliseconds(kPollIntervalMs); }
    void Finish(const TaskEnd& end) override;

    utility::string_t GetOutputPath() const { return LockedCopy(m_fieldsMutex, m_outputPath); }

    // What a poll reads from a query reply that arrived, without the network: the task's status,
    // identifier and audio address; true when the task succeeded and its audio is to be fetched.
    // A member of the wrong type throws web::json::json_exception.
    bool ReadTasks(const web::json::value& reply);

private:
    bool CreateTask(const pplx::cancellation_token& cancel);
    // Takes the output file's name before the first download; false with the error set when no
    // name could be had.
    bool ReserveOutput();
    void ReleaseOutput();
    // The step's progress for a code, with the state in words.
    void Report(const ServiceTask::Worker& worker, int32_t code) const;
    utility::string_t ServiceTaskId() const { return LockedCopy(m_fieldsMutex, m_taskId); }

    Request m_request;

    utility::string_t m_cuid;
    uint64_t m_logId = 0;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    utility::string_t m_speechUrl;
    utility::string_t m_outputPath;
    int m_failedDownloads = 0;
    bool m_outputReserved = false;
};
