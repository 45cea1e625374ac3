#include "dubbing/CTxt2AudioNetOper.h"

#include "dubbing/DubbingErrors.h"
#include "dubbing/SpeechVoice.h"
#include "host/CQOVResClientHttpClient.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/ResultFile.h"
#include "service/TransLog.h"

#include <QFile>
#include <QString>

#include <cpprest/http_client.h>

#include <exception>

namespace {

const char* const kCreatePath = "/tts/v1/create";
const char* const kQueryPath = "/tts/v1/query";
const char* const kSuccess = "Success";

QString StateOf(int32_t code)
{
    switch (code) {
    case CTxt2AudioNetOper::PollFinished:
        return QStringLiteral("done");
    case CTxt2AudioNetOper::PollPending:
        return QStringLiteral("running");
    case CTxt2AudioNetOper::PollGaveUp:
        return QStringLiteral("its audio could not be fetched");
    default:
        return QStringLiteral("no answer, asking again");
    }
}

} // namespace

CTxt2AudioNetOper::CTxt2AudioNetOper() : CTxt2AudioNetOper(Request()) {}

CTxt2AudioNetOper::CTxt2AudioNetOper(Request request)
    : TokenClient(LoadTxt2AudioSettings().URL, LoadTxt2AudioSettings().APIKey, LoadTxt2AudioSettings().SecretKey),
      m_request(std::move(request)),
      m_cuid(LoadTxt2AudioSettings().Cuid),
      m_outputPath(m_request.outputPath)
{
}

CTxt2AudioNetOper::~CTxt2AudioNetOper()
{
    ReleaseOutput();
}

int CTxt2AudioNetOper::Start(const pplx::cancellation_token& cancel)
{
    if (!FetchToken(cancel))
        return NoToken;
    if (!WithToken([&] { return CreateTask(cancel); }, cancel)) {
        if (m_request.logged)
            GetDubbingLog().AddFinishedTask(QString::fromStdString(m_request.text), QString::fromStdString(GetErrorText()));
        return NotCreated;
    }
    // Recorded before the first poll, so a task that finishes at once finds its record to update.
    if (m_request.logged)
        GetDubbingLog().AddTask(QString::fromStdString(m_request.text), TaskId());
    m_failedDownloads = 0;
    return Started;
}

std::optional<TaskEnd> CTxt2AudioNetOper::Create(const ServiceTask::Worker& worker)
{
    const int code = Start(worker.Token());
    if (code == Started)
        return std::nullopt;
    return Failure(code, kCodes);
}

void CTxt2AudioNetOper::Report(const ServiceTask::Worker& worker, int32_t code) const
{
    worker.Report(code, PolledSteps::StateText(TaskId(), StateOf(code),
                                               code == PollFailed ? QString::fromStdString(GetErrorText()) : QString()));
}

PolledSteps::Polled CTxt2AudioNetOper::Poll(const ServiceTask::Worker& worker, TaskEnd& /*end*/)
{
    const int32_t code = Poll(worker.Token());
    if (code == PollReady)
        return Polled::Ready;
    Report(worker, code);
    return Polled::Running;
}

std::optional<TaskEnd> CTxt2AudioNetOper::Fetch(const ServiceTask::Worker& worker)
{
    const int32_t code = FetchAudio(worker.Token());
    if (worker.Stopping())
        return TaskEnd::Stop();
    Report(worker, code);
    if (code == PollFinished)
        return TaskEnd::Success(QString::fromStdString(GetOutputPath()));
    if (code == PollGaveUp)
        return Failure(code, kCodes);
    return std::nullopt;
}

void CTxt2AudioNetOper::Finish(const TaskEnd& /*end*/)
{
    // A task stopped before its audio arrived leaves no empty file holding the name.
    ReleaseOutput();
}

bool CTxt2AudioNetOper::CreateTask(const pplx::cancellation_token& cancel)
{
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        web::json::value body = web::json::value::object(true);
        body["text"] = web::json::value::array({web::json::value::string(m_request.text)});
        body["format"] = web::json::value::string(m_request.format);
        body["voice"] = web::json::value::number(SpeechVoice(m_request.voice));
        body["lang"] = web::json::value::string("zh");
        body["speed"] = web::json::value::number(m_request.speed);
        body["pitch"] = web::json::value::number(m_request.pitch);
        body["volume"] = web::json::value::number(m_request.volume);
        body["enable_subtitle"] = web::json::value::number(2);
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kCreatePath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            SetError(RequestFailure::Status(DubbingErrors::kStatusFormat, exchange.Status()));
            return false;
        }
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply("dubbing create", reply);
        int32_t errorCode = 0;
        if (ReadJsonInt(reply, "error_code", errorCode) && errorCode > 0) {
            SetError(RequestFailure::Refusal(DubbingErrors::ForCreationCode(errorCode), errorCode));
            return false;
        }
        // An absent member leaves its field as it was: the service decides what to send.
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        ReadJsonUInt64(reply, "log_id", m_logId);
        ReadJsonString(reply, "task_id", m_taskId);
        ReadJsonString(reply, "task_status", m_taskStatus);
        return true;
    } catch (const std::exception& e) {
        SetError(RequestFailure::Of(e, DubbingErrors::kMalformedReply));
    }
    return false;
}

int32_t CTxt2AudioNetOper::Poll(const pplx::cancellation_token& cancel)
{
    // Every failure here, expected or not, is reported as a failed poll and polling goes on: the
    // window learns of it, and a service that recovers finishes the task.
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        web::json::value body = web::json::value::object();
        body["task_ids"] = web::json::value::array({web::json::value::string(ServiceTaskId())});
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kQueryPath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            SetError(RequestFailure::Status(DubbingErrors::kStatusFormat, exchange.Status()));
            return PollFailed;
        }
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply("dubbing query", reply);
        return ReadTasks(reply) ? PollReady : PollPending;
    } catch (const std::exception& e) {
        // A stop cancels the poll in flight: that is no error of the task's.
        if (!cancel.is_canceled())
            SetError(RequestFailure::Of(e, DubbingErrors::kMalformedReply));
    }
    return PollFailed;
}

bool CTxt2AudioNetOper::ReadTasks(const web::json::value& reply)
{
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    ReadJsonUInt64(reply, "log_id", m_logId);
    if (!reply.has_field("tasks_info"))
        return false;
    for (const web::json::value& entry : reply.at("tasks_info").as_array()) {
        ReadJsonString(entry, "task_status", m_taskStatus);
        ReadJsonString(entry, "task_id", m_taskId);
        if (entry.has_field("task_result"))
            ReadJsonString(entry.at("task_result"), "speech_url", m_speechUrl);
        if (m_taskStatus == kSuccess)
            return true;
    }
    return false;
}

bool CTxt2AudioNetOper::ReserveOutput()
{
    if (m_outputReserved)
        return true;
    QString error;
    const QString path = ResultFile::Reserve(QString::fromStdString(m_request.outputPath), &error);
    if (path.isEmpty()) {
        SetError({TaskError::Kind::Local, error.toStdString()});
        return false;
    }
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    m_outputPath = path.toStdString();
    m_outputReserved = true;
    return true;
}

void CTxt2AudioNetOper::ReleaseOutput()
{
    // Only the empty file that held the name: a download writes beside it and renames at the end.
    if (m_outputReserved)
        QFile::remove(QString::fromStdString(GetOutputPath()));
    m_outputReserved = false;
}

int32_t CTxt2AudioNetOper::FetchAudio(const pplx::cancellation_token& cancel)
{
    if (!ReserveOutput()) {
        if (m_request.logged)
            GetDubbingLog().UpdateTask(TaskId(), PollGaveUp, QString::fromStdString(GetErrorText()));
        return PollGaveUp;
    }
    const utility::string_t url = LockedCopy(m_fieldsMutex, m_speechUrl);

    // A failed download is retried with the next poll rather than reported as a finished task
    // whose file does not exist, but only a few times: an address that keeps failing would
    // otherwise be polled and fetched for ever. Stop cancels it with the poll instead of waiting
    // for the server.
    CQOVResClientHttpClient downloader(QString::fromLatin1(RestClient::kDownloadUserAgent));
    downloader.SetTimeout(RestClient::RequestTimeout());
    downloader.SetCancellation(cancel);
    const QString path = QString::fromStdString(GetOutputPath());
    if (!downloader.DownLoad_New(QString::fromStdString(url), path, QString(), nullptr, 0, 0)) {
        // No empty file waits for the next try: the name is taken again then.
        ReleaseOutput();
        if (cancel.is_canceled())
            return PollFailed; // stopped: nothing more is reported or recorded
        utility::string_t error = RestClient::FormatText(DubbingErrors::kDownloadFailed, url);
        const bool gaveUp = ++m_failedDownloads >= kDownloadAttempts;
        if (gaveUp)
            error += RestClient::FormatNumber(DubbingErrors::kDownloadGaveUpFormat, m_failedDownloads);
        SetError(RequestFailure::Of(downloader.LastException(), downloader.LastStatus(), error));
        if (!gaveUp)
            return PollFailed;
        if (m_request.logged)
            GetDubbingLog().UpdateTask(TaskId(), PollGaveUp, QString::fromStdString(error));
        return PollGaveUp;
    }
    // The file is the result now, no longer a name held for it.
    m_outputReserved = false;
    if (m_request.logged)
        GetDubbingLog().UpdateTask(TaskId(), PollFinished, path);
    return PollFinished;
}
