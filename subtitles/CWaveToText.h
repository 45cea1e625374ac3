#pragma once

#include "service/QOVAIGCExport.h"
#include "service/RequestFailure.h"
#include "service/TaskRun.h"
#include "subtitles/WavResult.h"
#include "subtitles/WttParams.h"
#include "subtitles/WttSignature.h"

#include <QString>

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// One audio file through the file-transcription service: prepare, upload and merge on the
// caller's thread, then a polling thread that reports every progress query to the owner's
// callback until the task ends, and the sentences written as an SRT file.
//
// Codes: 0 success; -1 the file is missing or a run is still active (Start), or a request failed
// (transport, status, unreadable reply); -2, -3, -4 prepare, upload, merge refused (Start); 3 and
// 9 a running and a finished task (progress); any other value is the service's own number.
class QOVAIGC_API CWaveToText
{
public:
    enum StartCode : int32_t { NotStarted = -1, PrepareFailed = -2, UploadFailed = -3, MergeFailed = -4 };

    using ProgressCallback = void (*)(void* data, int32_t code);

    CWaveToText();
    virtual ~CWaveToText();
    CWaveToText(const CWaveToText&) = delete;
    CWaveToText& operator=(const CWaveToText&) = delete;

    // The account; may change while a poll builds its request, and counts from the next request.
    int32_t InitEnv(const QString& appId, const QString& key);
    // With a callback and an interval above 0 the polling thread starts (interval at least 50 ms)
    // and the object stays busy until Stop or a result request; otherwise the owner polls with
    // GetTransProgress.
    // Cancelling cancel ends the prepare, upload and merge requests under way.
    int32_t Start(const QString& audioFile, const QString& srtFile, int32_t intervalMs, ProgressCallback callback,
                  void* userData, const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    // Ends polling: a request in flight is cancelled and no callback follows once Stop returns.
    // 0, or -1 when the thread could not be joined.
    int32_t Stop();

    QString GetTaskID() const;
    QString GetSrtFile() const;

    // One progress query on the caller's thread.
    int32_t GetTransProgress();
    // The same, for a caller that polls on its own thread: cancelling cancel ends the query, and
    // a result the caller then fetches there is cut short only by the same token.
    int32_t PollProgress(const pplx::cancellation_token& cancel);
    // The sentences of the finished task into results (left alone when there are none); ends
    // polling at its next look.
    int32_t GetResult(std::vector<nsWtt::stWavResult>& results);
    // Marks the task finished in the subtitles log, then fetches the sentences and writes them to
    // the SRT file (nothing for an empty path or a failed result request).
    void SaveToSrtFile();
    // What the subtitle task does when the service reports the task finished: the result request
    // runs to its end even when a stop comes meanwhile (the sentences are there, and a stop must
    // not lose them), then the SRT file is written, and only then is the task marked finished in
    // the log. False when no SRT file was written (error, when given, says why when the file
    // could not be written); the log is left as it was.
    bool WriteSubtitleFiles(QString* error = nullptr);
    // How the last request failed on its way to the service, or no failure when it arrived.
    RequestFailure LastFailure() const;

    // One query-string request to an endpoint and its reply read by the endpoint's rules.
    int32_t Request(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t& out);

private:
    int32_t FetchResult(std::vector<nsWtt::stWavResult>& results, const pplx::cancellation_token& cancel);

private:
    // What one request is built from, copied under one lock so that its application id and its
    // signature always belong to the same account.
    struct RequestFields
    {
        utility::string_t appId;
        utility::string_t key;
        QString audioFile;
        utility::string_t taskId;
    };

    RequestFields Fields() const;
    static int32_t GenerateCommonParam(const RequestFields& fields, nsWtt::stCommonParam& param);
    int32_t GenerateRequetParam(const utility::string_t& path, nsWtt::ParamMap& params) const;
    void Record(RequestFailure failure);
    // One request and its reply read: the reply's code, -1 when none could be read.
    int32_t Exchange(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t& out,
                     const pplx::cancellation_token& cancel);
    int32_t Prepare();
    int32_t Upload();
    int32_t Merge();
    int32_t GenerateUploadParam(const utility::string_t& sliceId, nsWtt::ParamMap& params) const;
    int32_t RequestUpload(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t& out);
    int32_t GetProgress(utility::string_t& out);
    // One progress query as the polling thread makes it, cut short by cancel; throws what the
    // query throws.
    int32_t QueryProgress(const pplx::cancellation_token& cancel);
    // Starts the poller: a query at once, then one every interval.
    void DoGetProgress();
    void FormatReslut(const utility::string_t& text);

    const utility::string_t m_baseUrl;
    mutable std::mutex m_mutex; // the account, the paths and the task id
    RequestFields m_fields;
    QString m_srtFile;
    RequestFailure m_lastFailure;
    int32_t m_interval = 100;
    ProgressCallback m_callback = nullptr;
    void* m_callbackData = nullptr;
    std::vector<nsWtt::stWavResult> m_sentences;
    std::atomic<bool> m_idle{true};
    // The token of the poll under way (Stop cancels it), for the poller's own requests.
    pplx::cancellation_token m_pollToken = pplx::cancellation_token::none();
    // The token of the start under way, for the requests of the thread that starts.
    pplx::cancellation_token m_startToken = pplx::cancellation_token::none();
    // The subtitle file this object made, which a run again may replace (the polling thread's).
    QString m_wroteSrt;
    TaskRun m_worker;
};
