#pragma once

#include "service/PollingWorker.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <cstdint>
#include <mutex>

class QObject;

// Long-text synthesis: creates a task with the service, polls it every 500 ms on a worker and
// downloads the audio when it succeeds; every poll is posted to the window as message 8027.
class CTxt2AudioNetOper
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, NotCreated = -2 };
    // PollFailed: this poll failed, polling goes on. PollGaveUp: the audio of a finished task could
    // not be downloaded in kDownloadAttempts tries; the task ends, and the error text and the log
    // record (state -1, the text as its files) say why.
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollGaveUp = -1 };
    static constexpr int kProgressMessage = 8027;
    static constexpr int kDownloadAttempts = 3;

    using ProgressCallback = void (*)(void* context, int32_t code);

    CTxt2AudioNetOper();
    ~CTxt2AudioNetOper();
    CTxt2AudioNetOper(const CTxt2AudioNetOper&) = delete;
    CTxt2AudioNetOper& operator=(const CTxt2AudioNetOper&) = delete;

    // format is "mp3-16k" or "wav". 1 started, -1 no token, -2 the service made no task (the
    // reason is in the error text and, as the record's files, in the dubbing log).
    int Start(const utility::string_t& text, const utility::string_t& outputPath, const utility::string_t& format,
              int32_t voice, int32_t speed, int32_t pitch, int32_t volume, QObject* window);
    // Ends polling, cancelling a request in flight, and waits for the worker.
    void Stop();

    utility::string_t GetErrorText() const;
    utility::string_t GetOutputPath() const;
    utility::string_t TaskId() const;

    // What a poll reads from a query reply that arrived, without the network: the task's status,
    // identifier and audio address; true when the task succeeded and its audio is to be fetched.
    // A member of the wrong type throws web::json::json_exception.
    bool ReadTasks(const web::json::value& reply);

private:
    bool CreateTask(const utility::string_t& text, const utility::string_t& format, int32_t voice, int32_t speed,
                    int32_t pitch, int32_t volume);
    int32_t Poll(const pplx::cancellation_token& cancel);
    int32_t FetchAudio(const pplx::cancellation_token& cancel);
    void SetError(const utility::string_t& text);

    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_cuid;
    uint64_t m_logId = 0;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    utility::string_t m_speechUrl;
    utility::string_t m_outputPath;
    utility::string_t m_errorText;
    int32_t m_pollInterval = 200;
    int m_failedDownloads = 0; // of the running task; the worker's own
    ProgressCallback m_callback = nullptr;
    void* m_context = nullptr;
    mutable std::mutex m_fieldsMutex; // the window reads results while the worker writes them
    PollingWorker m_worker;
};
