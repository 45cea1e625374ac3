#pragma once

#include "service/MessageNumbers.h"
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
    static constexpr int kProgressMessage = MessageNumbers::kTaskProgress;
    static constexpr int kDownloadAttempts = 3;

    using ProgressCallback = void (*)(void* context, int32_t code);

    CTxt2AudioNetOper();
    ~CTxt2AudioNetOper();
    CTxt2AudioNetOper(const CTxt2AudioNetOper&) = delete;
    CTxt2AudioNetOper& operator=(const CTxt2AudioNetOper&) = delete;

    // format is "mp3-16k" or "wav". 1 started, -1 no token, -2 the service made no task (the
    // reason is in the error text and, as the record's files, in the dubbing log). The audio goes
    // to outputPath, or to the next free numbered name beside it when that is taken
    // (GetOutputPath()). Cancelling cancel ends the token and create requests.
    int Start(const utility::string_t& text, const utility::string_t& outputPath, const utility::string_t& format,
              int32_t voice, int32_t speed, int32_t pitch, int32_t volume, QObject* window,
              const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // Where the poller's codes go instead of window's message queue (window is then the callback's
    // context); for a caller that has no window. Set before Start.
    void SetProgressCallback(ProgressCallback callback) { m_report = callback; }
    // Off for speech that is only a part of a larger result (a caption of a track), which the
    // dubbing log records once, as a whole. Set before Start.
    void SetLogged(bool logged) { m_logged = logged; }
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
    bool m_logged = true;
    bool CreateTask(const utility::string_t& text, const utility::string_t& format, int32_t voice, int32_t speed,
                    int32_t pitch, int32_t volume, const pplx::cancellation_token& cancel);
    // Takes the output file's name before the first download; false with the error set when no
    // name could be had.
    bool ReserveOutput();
    void ReleaseOutput();
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
    bool m_outputReserved = false; // the worker's own, like the count above
    utility::string_t m_wantedPath; // the name asked for; taken names are numbered from it
    ProgressCallback m_callback = nullptr;
    ProgressCallback m_report = nullptr;
    void* m_context = nullptr;
    mutable std::mutex m_fieldsMutex; // the window reads results while the worker writes them
    PollingWorker m_worker;
};
