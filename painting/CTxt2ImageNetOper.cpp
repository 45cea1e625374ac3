#include "painting/CTxt2ImageNetOper.h"

#include "host/CQOVResClientHttpClient.h"
#include "host/QOVPaths.h"
#include "painting/ImageFileName.h"
#include "painting/PaintingErrors.h"
#include "painting/PaintingOutcome.h"
#include "painting/ReferenceImage.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/ResultFile.h"
#include "service/TransLog.h"

#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cpprest/http_client.h>

#include <exception>

namespace {

const char* const kCreatePath = "/ernievilg/v1/txt2imgv2";
const char* const kQueryPath = "/ernievilg/v1/getImgv2";

QString StateOf(int32_t code)
{
    switch (code) {
    case CTxt2ImageNetOper::PollFinished:
        return QStringLiteral("done");
    case CTxt2ImageNetOper::PollError:
        return QStringLiteral("failed");
    case CTxt2ImageNetOper::PollPending:
        return QStringLiteral("running");
    default:
        return QStringLiteral("no answer, asking again");
    }
}

} // namespace

CTxt2ImageNetOper::CTxt2ImageNetOper() : CTxt2ImageNetOper(Request()) {}

CTxt2ImageNetOper::CTxt2ImageNetOper(Request request)
    : TokenClient(LoadTxt2ImgSettings().URL, LoadTxt2ImgSettings().APIKey, LoadTxt2ImgSettings().SecretKey),
      m_request(std::move(request))
{
}

void CTxt2ImageNetOper::AppendError(const utility::string_t& text)
{
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    m_failure.text += text;
}

int CTxt2ImageNetOper::Start(const pplx::cancellation_token& cancel)
{
    if (!FetchToken(cancel))
        return NoToken;
    return WithToken([&] { return CreateTask(cancel); }, cancel) ? Started : NotCreated;
}

std::optional<TaskEnd> CTxt2ImageNetOper::Create(const ServiceTask::Worker& worker)
{
    const int code = Start(worker.Token());
    if (code == Started)
        return std::nullopt;
    return Failure(code, kCodes, m_refused);
}

PolledSteps::Polled CTxt2ImageNetOper::Poll(const ServiceTask::Worker& worker, TaskEnd& end)
{
    const int32_t code = QueryTask(worker.Token());
    if (code == PollFinished)
        return Polled::Ready;
    if (worker.Stopping())
        return Polled::Running;
    worker.Report(code, StateText(TaskId(), StateOf(code),
                                  code == PollFailed ? QString::fromStdString(GetErrorText()) : QString()));
    if (code != PollError)
        return Polled::Running;
    end = Failure(code, kCodes, m_refused);
    return Polled::Over;
}

std::optional<TaskEnd> CTxt2ImageNetOper::Fetch(const ServiceTask::Worker& worker)
{
    if (!DownloadImages(worker.Token()))
        return TaskEnd::Stop();
    worker.Report(PollFinished, StateText(TaskId(), StateOf(PollFinished)));
    return TaskEnd::Success(QVariant::fromValue(PaintingOutcome{Results(), QString::fromStdString(GetErrorText())}));
}

bool CTxt2ImageNetOper::CreateTask(const pplx::cancellation_token& cancel)
{
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        web::json::value body = web::json::value::object(true);
        body["prompt"] = web::json::value::string(m_request.prompt);
        body["version"] = web::json::value::string("v2");
        body["width"] = web::json::value::number(m_request.width);
        body["height"] = web::json::value::number(m_request.height);
        body["image_num"] = web::json::value::number(m_request.count);
        const QString reference = ReferenceImageBase64(QString::fromStdString(m_request.referenceImagePath));
        if (!reference.isEmpty()) {
            body["image"] = web::json::value::string(reference.toStdString());
            body["change_degree"] = web::json::value::number(1);
        }
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kCreatePath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            SetError(RequestFailure::Status(PaintingErrors::kCreateStatusFormat, int(exchange.Status())));
            return false;
        }
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply("painting create", reply);
        ReadJsonUInt64(reply, "log_id", m_logId);
        if (!reply.has_field("data")) {
            // A refusal carries the service's own reason; a user must never see an empty message.
            utility::string_t reason;
            ReadJsonString(reply, "error_msg", reason);
            int32_t errorCode = 0;
            ReadJsonInt(reply, "error_code", errorCode);
            SetError(RequestFailure::Refusal(reason.empty() ? PaintingErrors::kCreateRefused : reason, errorCode));
            m_refused = !reason.empty();
            return false;
        }
        m_taskId.clear();
        ReadJsonString(reply.at("data"), "task_id", m_taskId);
        GetPaintingLog().AddTask(QString::fromStdString(m_request.prompt), QString::fromStdString(m_taskId));
        return true;
    } catch (const std::exception& e) {
        SetError(RequestFailure::Of(e, PaintingErrors::kMalformedReply));
    }
    return false;
}

int32_t CTxt2ImageNetOper::QueryTask(const pplx::cancellation_token& cancel)
{
    web::json::value reply;
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        web::json::value body = web::json::value::object();
        body["task_id"] = web::json::value::string(m_taskId);
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kQueryPath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK)
            return PollFailed;
        reply = exchange.ReadJson();
    } catch (const std::exception& e) {
        // A stop cancels the poll in flight: that is no error of the task's.
        if (!cancel.is_canceled())
            SetError(RequestFailure::Of(e, PaintingErrors::kMalformedReply));
        return PollFailed;
    }
    // A reply that arrived but does not have the shape the service promises will not get better
    // by asking again: the task ends with a message instead of polling forever.
    try {
        RestClient::TraceReply("painting query", reply);
        const int32_t code = ReadQueryReply(reply);
        if (code != PollFinished)
            return code;
    } catch (const std::exception& e) {
        SetError(RequestFailure::Unreadable(PaintingErrors::kMalformedReply + RestClient::ErrorText(e)));
        GetPaintingLog().UpdateTask(QString::fromStdString(m_taskId), PollError);
        return PollError;
    }
    return PollFinished;
}

int32_t CTxt2ImageNetOper::ReadQueryReply(const web::json::value& reply)
{
    ReadJsonUInt64(reply, "log_id", m_logId);
    int32_t errorCode = 0;
    const bool hasError = ReadJsonInt(reply, "error_code", errorCode);
    utility::string_t message;
    if (ReadJsonString(reply, "error_msg", message))
        SetError(RequestFailure::Refusal(message));
    if (hasError && errorCode != 0) {
        m_refused = !message.empty();
        GetPaintingLog().UpdateTask(QString::fromStdString(m_taskId), PollError);
        return PollError;
    }
    if (!reply.has_field("data"))
        return PollPending;
    return ReadResult(reply.at("data")) ? PollFinished : PollPending;
}

bool CTxt2ImageNetOper::ReadResult(const web::json::value& data)
{
    if (!data.is_object())
        throw web::json::json_exception("\"data\" is not an object");
    ReadJsonString(data, "task_status", m_taskStatus);
    int32_t progress = -1;
    ReadJsonInt(data, "task_progress", progress);
    if (m_taskStatus != "SUCCESS" || progress != 1 || !data.has_field("sub_task_result_list"))
        return false;

    std::vector<ImgRetData> results;
    QSet<QString> taken;
    for (const web::json::value& entry : data.at("sub_task_result_list").as_array()) {
        int32_t code = 0;
        if (ReadJsonInt(entry, "sub_task_error_code", code) && code > 0)
            AppendError(PaintingErrors::ForSubTaskCode(code));
        if (!entry.has_field("final_image_list"))
            continue;
        for (const web::json::value& image : entry.at("final_image_list").as_array()) {
            ImgRetData result;
            ReadJsonString(image, "img_approve_conclusion", result.conclusion);
            ReadJsonString(image, "img_url", result.url);
            ReadJsonInt(image, "width", result.width);
            ReadJsonInt(image, "height", result.height);
            const QString name = ImageFileName(QString::fromStdString(result.url), int(results.size()),
                                               QString::fromStdString(m_request.outputFolder), taken);
            result.localPath = m_request.outputFolder + name.toStdString();
            results.push_back(std::move(result));
        }
    }
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    m_results = std::move(results);
    return true;
}

bool CTxt2ImageNetOper::DownloadImages(const pplx::cancellation_token& cancel)
{
    ZuCreateDirectory(QString::fromStdString(m_request.outputFolder), 0);
    QStringList passed;
    std::vector<ImgRetData> results = Results();
    size_t fetched = 0;
    bool stopped = false;
    for (ImgRetData& result : results) {
        // Stop cancels the download in flight and skips the rest, instead of waiting up to a
        // request time-out per image.
        if ((stopped = cancel.is_canceled()))
            break;
        // The name is taken before the download, so an image of another run or process that
        // chose the same name a moment ago is never written over.
        QString error;
        const QString path = ResultFile::Reserve(QString::fromStdString(result.localPath), &error);
        if (path.isEmpty()) {
            AppendError(error.toStdString());
            continue;
        }
        result.localPath = path.toStdString();
        CQOVResClientHttpClient downloader(QString::fromLatin1(RestClient::kDownloadUserAgent));
        downloader.SetTimeout(RestClient::RequestTimeout());
        downloader.SetCancellation(cancel);
        if (!downloader.DownLoad_New(QString::fromStdString(result.url), path, QString(), nullptr, 0, 0)) {
            QFile::remove(path);
            if ((stopped = cancel.is_canceled()))
                break;
            AppendError(RestClient::FormatText(PaintingErrors::kDownloadFailedFormat, result.url));
            continue;
        }
        ++fetched;
        if (QString::fromStdString(result.conclusion).compare(QLatin1String("pass"), Qt::CaseInsensitive) == 0)
            passed << path;
    }
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        m_results = results;
    }
    // Images already on disk stay the user's after a stop: the history offers them.
    if (!stopped || fetched > 0)
        GetPaintingLog().UpdateTask(QString::fromStdString(m_taskId), PollFinished, &passed);
    return !stopped;
}
