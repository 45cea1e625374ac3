#pragma once

#include "service/AigcSettings.h"
#include "service/PollingWorker.h"
#include "subtitles/SrtLineInfo.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct SHuaweiObsPolicy;

// The cloud recognition engine: uploads an audio file to the object store, creates a recognition
// task that names the object's address, polls the task every 200 ms on a worker and, when it
// succeeds, writes the sentences as an SRT file and the whole text beside it. Every poll's code
// reaches the owner through the progress callback. The uploaded object is deleted when the task
// ends, successfully or not, but not when the owner stops polling.
class CAudio2TxtNetOper
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, UploadFailed = -2, NotCreated = -3 };
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollError = -1 };

    using ProgressCallback = void (*)(void* context, int32_t code);

    CAudio2TxtNetOper();
    ~CAudio2TxtNetOper();
    CAudio2TxtNetOper(const CAudio2TxtNetOper&) = delete;
    CAudio2TxtNetOper& operator=(const CAudio2TxtNetOper&) = delete;

    // The function every later Start reports polls to, with the context Start is given.
    void SetProgressCallback(ProgressCallback callback);

    // Runs on the caller's thread up to the first poll: token, upload, task creation. 1 started,
    // -1 no token, -2 the upload failed ("<name>上传失败!"), -3 no task was made (the object is
    // deleted again). subtitlePath may be empty: the task then finishes without files.
    // Cancelling cancel ends the start's requests under way.
    int Start(const utility::string_t& audioPath, int32_t model, void* context, const utility::string_t& subtitlePath,
              const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // The start without the worker, for a caller that polls on its own thread with Poll: the same
    // codes as Start.
    int Begin(const utility::string_t& audioPath, int32_t model, const utility::string_t& subtitlePath,
              const pplx::cancellation_token& cancel);
    // One poll of the task Begin started: its code; a task that ended has its object deleted.
    int32_t Poll(const pplx::cancellation_token& cancel);
    static constexpr int32_t kPollIntervalMs = 200;
    // Ends polling, cancelling a query in flight, and waits for the worker: 0, or -1. No callback
    // follows, and the object stays in the store.
    int Stop();

    utility::string_t GetTaskID() const;
    utility::string_t GetErrorText() const;
    // The whole recognised text and the sentences of the last successful task.
    utility::string_t GetResultText() const;
    std::vector<SrtLineInfo> GetLines() const;
    // Where the audio of the current task was stored.
    utility::string_t GetObjectKey() const;
    utility::string_t GetSpeechUrl() const;
    // The subtitle file of the task: the one asked for, or, when that name was taken by another
    // result, the numbered one written instead.
    utility::string_t GetSubtitlePath() const;
    // Why the last finished task's subtitle files could not be written (the task then failed);
    // empty otherwise.
    QString GetWriteError() const;

    // What the client makes of a reply that arrived with status 200, without the network: whether
    // a creation reply made a task, and the poll code of a query reply (a success writes the
    // subtitle files; both record the end of the task in the log). A reply of the wrong shape
    // throws web::json::json_exception.
    bool ReadCreateReply(const web::json::value& reply);
    int32_t ReadQueryReply(const web::json::value& reply);

private:
    bool Upload(const utility::string_t& audioPath, const pplx::cancellation_token& cancel);
    void DeleteObject(const pplx::cancellation_token& cancel);
    SHuaweiObsPolicy Policy(const utility::string_t& localFile, const utility::string_t& key, int option) const;
    bool CreateTask(int32_t model, const pplx::cancellation_token& cancel);
    int32_t Query(const pplx::cancellation_token& cancel);
    void ReadSuccess(const web::json::value& result);
    bool WriteSubtitleFiles();
    void SetError(const utility::string_t& text);

    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_audioPath;
    utility::string_t m_speechUrl;
    utility::string_t m_objectKey;
    utility::string_t m_subtitlePath;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    utility::string_t m_resultText;
    utility::string_t m_errorText;
    std::vector<std::unique_ptr<SrtLineInfo>> m_lines;
    ProgressCallback m_callback = nullptr;
    void* m_context = nullptr;
    ObjectStoreSettings m_store;
    mutable std::mutex m_fieldsMutex; // the owner reads results while the worker writes them
    PollingWorker m_worker;
    // The subtitle file this client made, which a run again may replace (the worker's own).
    QString m_wroteSrt;
    QString m_writeError; // guarded by m_fieldsMutex
};
