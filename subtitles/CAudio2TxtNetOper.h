#pragma once

#include "service/AigcSettings.h"
#include "service/TokenClient.h"
#include "subtitles/SrtLineInfo.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <cstdint>
#include <memory>
#include <vector>

struct SHuaweiObsPolicy;

// The cloud recognition engine's steps: uploads an audio file to the object store and creates a
// recognition task that names the object's address; each poll asks how the task does and, when it
// succeeded, writes the sentences as an SRT file and the whole text beside it. The caller polls
// every kPollIntervalMs on its own thread. The uploaded object is deleted when the task ends,
// successfully or not, but not when the caller stops polling.
class CAudio2TxtNetOper : public TokenClient
{
public:
    enum StartResult : int { Started = 1, NoToken = -1, UploadFailed = -2, NotCreated = -3 };
    enum PollCode : int32_t { PollFailed = 0, PollPending = 1, PollFinished = 2, PollError = -1 };

    CAudio2TxtNetOper();
    ~CAudio2TxtNetOper();

    // Token, upload, task creation, on the caller's thread. 1 started, -1 no token, -2 the upload
    // failed ("<name>上传失败!"), -3 no task was made (the object is deleted again). subtitlePath
    // may be empty: the task then finishes without files. Cancelling cancel ends the requests.
    int Begin(const utility::string_t& audioPath, int32_t model, const utility::string_t& subtitlePath,
              const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // One poll of the task Begin started: its code; a task that ended has its object deleted.
    int32_t Poll(const pplx::cancellation_token& cancel);
    // Whose numbers a failed task's code is (TaskError::domain).
    static constexpr const char* kCodes = "recognition";
    static constexpr int32_t kPollIntervalMs = 200;

    utility::string_t GetTaskID() const { return LockedCopy(m_fieldsMutex, m_taskId); }
    // The whole recognised text and the sentences of the last successful task.
    utility::string_t GetResultText() const { return LockedCopy(m_fieldsMutex, m_resultText); }
    std::vector<SrtLineInfo> GetLines() const;
    // Where the audio of the current task was stored.
    utility::string_t GetObjectKey() const { return LockedCopy(m_fieldsMutex, m_objectKey); }
    utility::string_t GetSpeechUrl() const { return LockedCopy(m_fieldsMutex, m_speechUrl); }
    // The subtitle file of the task: the one asked for, or, when that name was taken by another
    // result, the numbered one written instead.
    utility::string_t GetSubtitlePath() const { return LockedCopy(m_fieldsMutex, m_subtitlePath); }
    // Why the last finished task's subtitle files could not be written (the task then failed);
    // empty otherwise.
    QString GetWriteError() const { return LockedCopy(m_fieldsMutex, m_writeError); }

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

    utility::string_t m_audioPath;
    utility::string_t m_speechUrl;
    utility::string_t m_objectKey;
    utility::string_t m_subtitlePath;
    utility::string_t m_taskId;
    utility::string_t m_taskStatus;
    utility::string_t m_resultText;
    std::vector<std::unique_ptr<SrtLineInfo>> m_lines;
    ObjectStoreSettings m_store;
    // The subtitle file this client made, which a run again may replace (the worker's own).
    QString m_wroteSrt;
    QString m_writeError; // guarded by m_fieldsMutex
};
