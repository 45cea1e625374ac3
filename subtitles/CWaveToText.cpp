#include "subtitles/CWaveToText.h"

#include "host/QOVFileName.h"
#include "service/AigcSettings.h"
#include "service/TransLog.h"
#include "subtitles/SrtWriter.h"
#include "subtitles/WttHttp.h"
#include "subtitles/WttReply.h"
#include "subtitles/WttSentences.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <exception>

namespace {

constexpr int32_t kMinimumInterval = 50; // ms between two queries at the least
constexpr int32_t kFinishedState = 2; // the log's state of a task with its result files
const char* const kUnreadableReply = "转写服务的回复无法读取";

// The object whose poll or report this thread runs: only those requests are cancelled by Stop,
// so a stopped object still answers its owner's own queries.
thread_local const CWaveToText* tPollingObject = nullptr;

// Marks the thread as the object's poller for one poll or report; the pool's thread may run
// anything else afterwards.
class PollingScope
{
public:
    explicit PollingScope(const CWaveToText* object) : m_previous(tPollingObject) { tPollingObject = object; }
    ~PollingScope() { tPollingObject = m_previous; }
    PollingScope(const PollingScope&) = delete;
    PollingScope& operator=(const PollingScope&) = delete;

private:
    const CWaveToText* m_previous;
};

nsWtt::Endpoint EndpointOf(const utility::string_t& path)
{
    using nsWtt::Endpoint;
    return path == nsWtt::kPreparePath  ? Endpoint::Prepare
         : path == nsWtt::kMergePath    ? Endpoint::Merge
         : path == nsWtt::kProgressPath ? Endpoint::Progress
                                        : Endpoint::Result;
}

} // namespace

CWaveToText::CWaveToText() : m_baseUrl(LoadFileTranscriptionSettings().URL) {}

CWaveToText::~CWaveToText()
{
    Stop();
}

int32_t CWaveToText::InitEnv(const QString& appId, const QString& key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fields.appId = appId.toStdString();
    m_fields.key = key.toStdString();
    return 0;
}

QString CWaveToText::GetTaskID() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QString::fromStdString(m_fields.taskId);
}

QString CWaveToText::GetSrtFile() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_srtFile;
}

int32_t CWaveToText::Start(const QString& audioFile, const QString& srtFile, int32_t intervalMs,
                           ProgressCallback callback, void* userData, const pplx::cancellation_token& cancel)
{
    if (!QFileInfo(audioFile).isFile() || !m_idle)
        return NotStarted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fields.audioFile = audioFile;
        m_srtFile = srtFile;
    }
    // The start's token counts for its own three steps only.
    m_startToken = cancel;
    const int32_t started = Prepare() != 0 ? PrepareFailed
                          : Upload() != 0  ? UploadFailed
                          : Merge() != 0   ? MergeFailed
                                           : 0;
    m_startToken = pplx::cancellation_token::none();
    if (started != 0)
        return started;
    GetSubtitlesLog().AddTask(audioFile, GetTaskID());
    if (intervalMs > 0 && callback) {
        m_worker.StopAndWait();
        m_callback = callback;
        m_callbackData = userData;
        m_interval = std::max(intervalMs, kMinimumInterval);
        m_idle = false;
        DoGetProgress();
    }
    return 0;
}

int32_t CWaveToText::Stop()
{
    // From the callback the loop cannot be waited for: it ends after that report.
    m_idle = true;
    m_worker.StopAndWait();
    return 0;
}

CWaveToText::RequestFields CWaveToText::Fields() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fields;
}

int32_t CWaveToText::GenerateCommonParam(const RequestFields& fields, nsWtt::stCommonParam& param)
{
    return nsWtt::MakeCommonParam(fields.appId, fields.key, int64_t(std::time(nullptr)), param);
}

int32_t CWaveToText::GenerateRequetParam(const utility::string_t& path, nsWtt::ParamMap& params) const
{
    try {
        params.clear();
        const RequestFields fields = Fields();
        nsWtt::stCommonParam common;
        if (GenerateCommonParam(fields, common) != 0)
            return -1;
        params["app_id"] = fields.appId;
        params["signa"] = common.signa;
        params["ts"] = common.ts;
        if (path == nsWtt::kPreparePath) {
            const QFileInfo file(fields.audioFile);
            const long long size = file.exists() ? file.size() : 0;
            params["file_len"] = std::to_string(size);
            params["file_name"] = ZuGetFileName(fields.audioFile).toStdString();
            params["slice_num"] = std::to_string(size / nsWtt::kSliceBytes + (size % nsWtt::kSliceBytes ? 1 : 0));
        } else if (path == nsWtt::kMergePath) {
            params["task_id"] = fields.taskId;
            params["file_name"] = fields.audioFile.toStdString();
        } else {
            params["task_id"] = fields.taskId;
        }
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int32_t CWaveToText::Request(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t& out)
{
    return Exchange(path, params, out, tPollingObject == this ? m_pollToken : m_startToken);
}

int32_t CWaveToText::Exchange(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t& out,
                              const pplx::cancellation_token& cancel)
{
    utility::string_t reply;
    // The reply is read whatever the transport said: an empty one does not parse and gives -1.
    RequestFailure failure;
    const bool arrived = WttHttp::PostFormRequest(m_baseUrl, path, params, reply, cancel, &failure) == 0;
    const int32_t code = nsWtt::ReadReply(EndpointOf(path), reply, out);
    if (arrived && code == -1)
        failure = RequestFailure::Unreadable(kUnreadableReply);
    Record(failure);
    return code;
}

void CWaveToText::Record(RequestFailure failure)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastFailure = std::move(failure);
}

RequestFailure CWaveToText::LastFailure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastFailure;
}

int32_t CWaveToText::Prepare()
{
    nsWtt::ParamMap params;
    if (GenerateRequetParam(nsWtt::kPreparePath, params) != 0)
        return -1;
    utility::string_t taskId;
    const int32_t code = Request(nsWtt::kPreparePath, params, taskId);
    if (code == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fields.taskId = taskId;
    }
    return code;
}

int32_t CWaveToText::Merge()
{
    nsWtt::ParamMap params;
    if (GenerateRequetParam(nsWtt::kMergePath, params) != 0)
        return -1;
    utility::string_t out;
    return Request(nsWtt::kMergePath, params, out);
}

int32_t CWaveToText::Upload()
{
    try {
        utility::string_t sliceId = nsWtt::kSliceIdSeed;
        nsWtt::AdvanceSliceId(sliceId);
        nsWtt::ParamMap params;
        if (GenerateUploadParam(sliceId, params) != 0)
            return -1;
        utility::string_t out;
        return RequestUpload(nsWtt::kUploadPath, params, out);
    } catch (const std::exception&) {
        return -1;
    }
}

int32_t CWaveToText::GenerateUploadParam(const utility::string_t& sliceId, nsWtt::ParamMap& params) const
{
    try {
        params.clear();
        const RequestFields fields = Fields();
        nsWtt::stCommonParam common;
        if (GenerateCommonParam(fields, common) != 0)
            return -1;
        params["app_id"] = fields.appId;
        params["content"] = fields.audioFile.toStdString();
        params["signa"] = common.signa;
        params["slice_id"] = sliceId;
        params["task_id"] = fields.taskId;
        params["ts"] = common.ts;
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

int32_t CWaveToText::RequestUpload(const utility::string_t& path, const nsWtt::ParamMap& params, utility::string_t&)
{
    // The service's verdict in the reply is not read: a refused upload shows at the merge.
    utility::string_t reply;
    RequestFailure failure;
    const int32_t code = WttHttp::PostMultipartRequest(m_baseUrl, path, params, reply, m_startToken, &failure);
    Record(failure);
    return code;
}

int32_t CWaveToText::GetProgress(utility::string_t& out)
{
    nsWtt::ParamMap params;
    if (GenerateRequetParam(nsWtt::kProgressPath, params) != 0)
        return -1;
    return Request(nsWtt::kProgressPath, params, out);
}

int32_t CWaveToText::GetTransProgress()
{
    try {
        utility::string_t text;
        return GetProgress(text);
    } catch (const std::exception&) {
        return -1;
    }
}

int32_t CWaveToText::PollProgress(const pplx::cancellation_token& cancel)
{
    try {
        return QueryProgress(cancel);
    } catch (...) {
        return -1;
    }
}

int32_t CWaveToText::QueryProgress(const pplx::cancellation_token& cancel)
{
    const PollingScope scope(this);
    m_pollToken = cancel;
    utility::string_t text;
    return GetProgress(text);
}

void CWaveToText::DoGetProgress()
{
    // The first query goes out at once. A poll without a readable answer is asked again, like a
    // running task: only the task's own end, an error of the service or a stop ends the loop.
    m_worker.Start([this, interval = std::chrono::milliseconds(m_interval)](TaskControl& control) {
        while (!control.Stopping()) {
            int32_t code = -1;
            try {
                code = QueryProgress(control.Token());
            } catch (...) {
                m_idle = true; // an error inside a poll ends polling without a report
                break;
            }
            // Stopped while the query was out: the owner expects no more reports.
            if (control.Stopping() || m_idle || !m_callback)
                break;
            {
                const PollingScope scope(this);
                m_callback(m_callbackData, code);
            }
            if (m_idle || (code != nsWtt::kProgressRunning && code != -1) || !control.Pause(interval))
                break;
        }
    });
}

int32_t CWaveToText::GetResult(std::vector<nsWtt::stWavResult>& results)
{
    // Asked from elsewhere, the result ends polling at once rather than at the next query.
    if (tPollingObject != this)
        m_worker.Stop();
    return FetchResult(results, tPollingObject == this ? m_pollToken : pplx::cancellation_token::none());
}

int32_t CWaveToText::FetchResult(std::vector<nsWtt::stWavResult>& results, const pplx::cancellation_token& cancel)
{
    nsWtt::ParamMap params;
    if (GenerateRequetParam(nsWtt::kResultPath, params) != 0)
        return -1;
    utility::string_t text;
    const int32_t code = Exchange(nsWtt::kResultPath, params, text, cancel);
    if (code == 0) {
        m_sentences.clear();
        FormatReslut(text);
        if (!m_sentences.empty())
            results = m_sentences;
    }
    m_idle = true;
    return code;
}

void CWaveToText::FormatReslut(const utility::string_t& text)
{
    nsWtt::ReadSentences(text, m_sentences);
}

void CWaveToText::SaveToSrtFile()
{
    const QString srtFile = GetSrtFile();
    GetSubtitlesLog().UpdateTask(GetTaskID(), kFinishedState, srtFile);
    std::vector<nsWtt::stWavResult> sentences;
    if (GetResult(sentences) != 0)
        return;
    if (!srtFile.isEmpty())
        SrtWriter::WriteTextFile(srtFile, SrtWriter::BuildSrt(sentences));
}

bool CWaveToText::WriteSubtitleFiles(QString* error)
{
    QString srtFile = GetSrtFile();
    std::vector<nsWtt::stWavResult> sentences;
    if (srtFile.isEmpty() || FetchResult(sentences, pplx::cancellation_token::none()) != 0)
        return false;
    // The first file is made beside whatever holds its name; a run again replaces its own.
    if (!SrtWriter::WriteResultFile(srtFile, SrtWriter::BuildSrt(sentences), m_wroteSrt == srtFile, error))
        return false;
    m_wroteSrt = srtFile;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_srtFile = srtFile;
    }
    GetSubtitlesLog().UpdateTask(GetTaskID(), kFinishedState, srtFile);
    return true;
}
