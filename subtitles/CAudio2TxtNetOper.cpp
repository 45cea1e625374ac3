#include "subtitles/CAudio2TxtNetOper.h"

#include "host/CQOVResNewWS.h"
#include "host/ObsAddress.h"
#include "host/QOVFileName.h"
#include "host/QOVSystem.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/TransLog.h"
#include "subtitles/Audio2TxtErrors.h"
#include "subtitles/SrtWriter.h"
#include "subtitles/SubtitlesSource.h"

#include <QFile>
#include <QList>
#include <QString>

#include <cpprest/http_client.h>

#include <exception>

namespace {

const char* const kCreatePath = "/aasr/v1/create";
const char* const kQueryPath = "/aasr/v1/query";
const char* const kRunning = "Running";
const char* const kSuccess = "Success";
const char* const kFailure = "Failure";
// The English model of the local services hears words and times each of them when asked; the reply
// then lists them under each sentence. Every other request is sent as it always was.
const char* const kWordTimes = "word_times";
const char* const kWords = "words";
constexpr int32_t kSampleRate = 16000;
constexpr int kUploadOption = 0;
constexpr int kDeleteOption = 2;

// A reply that does not have the shape the service promises.
[[noreturn]] void Malformed(const char* what)
{
    throw web::json::json_exception(what);
}

const web::json::array& ArrayMember(const web::json::value& object, const char* name)
{
    return object.at(name).as_array();
}

} // namespace

CAudio2TxtNetOper::CAudio2TxtNetOper()
    : TokenClient(LoadAudio2TxtSettings().URL, LoadAudio2TxtSettings().APIKey, LoadAudio2TxtSettings().SecretKey),
      m_store(LoadObjectStoreSettings())
{
}

CAudio2TxtNetOper::~CAudio2TxtNetOper() = default;

std::vector<SrtLineInfo> CAudio2TxtNetOper::GetLines() const
{
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    std::vector<SrtLineInfo> lines;
    for (const auto& line : m_lines)
        lines.push_back(*line);
    return lines;
}

int32_t CAudio2TxtNetOper::Poll(const pplx::cancellation_token& cancel)
{
    // The object goes before the end is reported, with the poll's own stop: once the end is heard
    // nothing of the task is left running.
    const int32_t code = Query(cancel);
    if (code == PollFinished || code == PollError)
        DeleteObject(cancel);
    return code;
}

int CAudio2TxtNetOper::Begin(const utility::string_t& audioPath, int32_t model, const utility::string_t& subtitlePath,
                             const pplx::cancellation_token& cancel)
{
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        m_subtitlePath = subtitlePath;
        m_taskId.clear();
        m_taskStatus.clear();
    }
    // Whatever the last task left (a stop's cancellation included) is not this task's.
    if (!FetchToken(cancel))
        return NoToken;
    if (!Upload(audioPath, cancel))
        return UploadFailed;
    if (!WithToken([&] { return CreateTask(model, cancel); }, cancel)) {
        DeleteObject(cancel);
        return NotCreated;
    }
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        m_resultText.clear();
    }
    // Recorded before the first poll, so a task that ends at once finds its record to update.
    GetSubtitlesLog().AddTask(QString::fromStdString(audioPath), QString::fromStdString(GetTaskID()));
    return Started;
}

SHuaweiObsPolicy CAudio2TxtNetOper::Policy(const utility::string_t& localFile, const utility::string_t& key,
                                           int option) const
{
    SHuaweiObsPolicy policy;
    policy.endpoint = QString::fromStdString(m_store.Endpoint);
    policy.accessKeyId = QString::fromStdString(m_store.AccessKeyId);
    policy.secretAccessKey = QString::fromStdString(m_store.SecretAccessKey);
    policy.bucketName = QString::fromStdString(m_store.Bucket);
    policy.localFilePath = QString::fromStdString(localFile);
    policy.objectKey = QString::fromStdString(key);
    policy.option = option;
    return policy;
}

bool CAudio2TxtNetOper::Upload(const utility::string_t& audioPath, const pplx::cancellation_token& cancel)
{
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        m_audioPath = audioPath;
    }
    const QString name = ZuGetFileName(QString::fromStdString(audioPath)).remove(QLatin1Char(' '));
    const utility::string_t key = (QOVNewGuidText() + QLatin1Char('_') + name).toStdString();
    CQOVResNewWS store;
    // The store is waited for as long as the services are, not a time-out of its own.
    store.SetTimeout(RestClient::RequestTimeout());
    store.SetCancellation(cancel);
    if (!store.huaweiObsUploadFile(Policy(audioPath, key, kUploadOption))) {
        SetError(RequestFailure::Of(store.LastException(), store.LastStatus(),
                                    RestClient::FormatText(Audio2TxtErrors::kUploadFailedFormat,
                                                           ZuGetFileName(QString::fromStdString(audioPath)).toStdString())));
        return false;
    }
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    m_objectKey = key;
    // The endpoint's scheme says how the store is spoken to, not where the service finds the object.
    m_speechUrl = "https://" + m_store.Bucket + "." +
                  ObsAddress::Authority(QString::fromStdString(m_store.Endpoint)).toStdString() + "/" + key;
    return true;
}

void CAudio2TxtNetOper::DeleteObject(const pplx::cancellation_token& cancel)
{
    CQOVResNewWS store;
    store.SetTimeout(RestClient::RequestTimeout());
    store.SetCancellation(cancel);
    if (!store.huaweiObsDeleteFile(Policy({}, GetObjectKey(), kDeleteOption)))
        QOVDebugOutput(QStringLiteral("recognition: the uploaded audio stays in the store: ") + store.LastError());
}

bool CAudio2TxtNetOper::CreateTask(int32_t model, const pplx::cancellation_token& cancel)
{
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        const utility::string_t speechUrl = GetSpeechUrl();
        web::json::value body = web::json::value::object(true);
        body["speech_url"] = web::json::value::string(speechUrl);
        body["format"] = web::json::value::string(ZuGetFileExt(QString::fromStdString(speechUrl)).toLower().toStdString());
        body["pid"] = web::json::value::number(model);
        body["rate"] = web::json::value::number(kSampleRate);
        if (model == SubtitlesSource::kEnglishModel && LoadAudio2TxtSettings().WordTimes == "1")
            body[kWordTimes] = web::json::value::boolean(true);
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kCreatePath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            SetError(RequestFailure::Status(Audio2TxtErrors::kCreateStatusFormat, exchange.Status()));
            return false;
        }
        const web::json::value reply = exchange.ReadJson(true);
        RestClient::TraceReply("recognition create", reply);
        return ReadCreateReply(reply);
    } catch (const std::exception& e) {
        SetError(RequestFailure::Of(e, Audio2TxtErrors::kMalformedReply));
    }
    return false;
}

bool CAudio2TxtNetOper::ReadCreateReply(const web::json::value& reply)
{
    if (!reply.is_object())
        Malformed(Audio2TxtErrors::kNotAnObject);
    int32_t errorCode = -1;
    if (ReadJsonInt(reply, "error_code", errorCode) && errorCode >= 1) {
        utility::string_t message;
        ReadJsonString(reply, "error_msg", message);
        SetError(RequestFailure::Refusal(Audio2TxtErrors::CreateRefused(errorCode, message), errorCode));
        return false;
    }
    utility::string_t message;
    utility::string_t taskId;
    utility::string_t status;
    const bool hasMessage = ReadJsonString(reply, "error_msg", message);
    const bool hasTask = ReadJsonString(reply, "task_id", taskId);
    const bool hasStatus = ReadJsonString(reply, "task_status", status);
    // A member that is not there leaves its field as it was; a reply without a task is still a
    // start, and the task's polls, which the user can stop, say what became of it.
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    if (hasMessage)
        m_failure.text = message;
    if (hasTask)
        m_taskId = taskId;
    if (hasStatus)
        m_taskStatus = status;
    return true;
}

int32_t CAudio2TxtNetOper::Query(const pplx::cancellation_token& cancel)
{
    // A query that fails on the way (status, transport, a body that is no JSON) is one failed
    // poll: the owner hears of it and the next poll may succeed.
    web::json::value reply;
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        web::json::value body = web::json::value::object();
        body["task_ids"] = web::json::value::array({web::json::value::string(GetTaskID())});
        RestExchange exchange(client, [&] { return RestClient::JsonPost(kQueryPath, m_accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            SetError(RequestFailure::Status(Audio2TxtErrors::kQueryStatusFormat, exchange.Status()));
            return PollFailed;
        }
        reply = exchange.ReadJson(true);
    } catch (const std::exception& e) {
        // A stop cancels the poll in flight: that is no error of the task's.
        if (!cancel.is_canceled())
            SetError(RequestFailure::Of(e, Audio2TxtErrors::kMalformedReply));
        return PollFailed;
    }
    // A reply that arrived but does not have the promised shape will not improve by asking
    // again: the task ends as failed rather than polling for ever.
    try {
        RestClient::TraceReply("recognition query", reply);
        return ReadQueryReply(reply);
    } catch (const std::exception& e) {
        SetError(RequestFailure::Unreadable(Audio2TxtErrors::kMalformedReply + RestClient::ErrorText(e)));
        GetSubtitlesLog().UpdateTask(QString::fromStdString(GetTaskID()), PollError, QString());
        return PollError;
    }
}

int32_t CAudio2TxtNetOper::ReadQueryReply(const web::json::value& reply)
{
    if (!reply.is_object())
        Malformed(Audio2TxtErrors::kNotAnObject);
    utility::string_t message;
    const bool hasMessage = ReadJsonString(reply, "error_msg", message);
    int32_t errorCode = -1;
    if (ReadJsonInt(reply, "error_code", errorCode) && errorCode >= 1) {
        // The details follow the reply's own message; without one they start afresh rather than
        // pile up poll after poll.
        if (reply.has_field("error_info")) {
            for (const web::json::value& info : ArrayMember(reply, "error_info"))
                message += info.as_string() + ";";
        }
        SetError(RequestFailure::Refusal(
            message.empty() ? RestClient::FormatNumber(Audio2TxtErrors::kQueryRefusedFormat, errorCode) : message));
        return PollFailed;
    }
    if (hasMessage)
        SetError(RequestFailure::Refusal(message));
    if (!reply.has_field("tasks_info"))
        return PollPending;

    bool succeeded = false;
    for (const web::json::value& entry : ArrayMember(reply, "tasks_info")) {
        if (!entry.is_object())
            Malformed(Audio2TxtErrors::kNotAnObject);
        utility::string_t status;
        {
            std::lock_guard<std::mutex> lock(m_fieldsMutex);
            ReadJsonString(entry, "task_id", m_taskId);
            ReadJsonString(entry, "task_status", m_taskStatus);
            status = m_taskStatus;
        }
        if (status == kRunning)
            continue;
        if (!entry.has_field("task_result"))
            Malformed(Audio2TxtErrors::kNoTaskResult);
        const web::json::value& result = entry.at("task_result");
        if (!result.is_object())
            Malformed(Audio2TxtErrors::kNotAnObject);
        if (status == kFailure) {
            utility::string_t reason;
            ReadJsonString(result, "err_msg", reason);
            SetError(RequestFailure::Refusal(reason.empty() ? utility::string_t(Audio2TxtErrors::kTaskFailed) : reason));
            GetSubtitlesLog().UpdateTask(QString::fromStdString(GetTaskID()), PollError, QString());
            return PollError;
        }
        if (status == kSuccess) {
            succeeded = true;
            ReadSuccess(result);
        }
    }
    if (!succeeded)
        return PollPending;
    if (!WriteSubtitleFiles()) {
        SetError({TaskError::Kind::Local, GetWriteError().toStdString()});
        GetSubtitlesLog().UpdateTask(QString::fromStdString(GetTaskID()), PollError, QString());
        return PollError;
    }
    QString taskId;
    QString subtitlePath;
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        taskId = QString::fromStdString(m_taskId);
        subtitlePath = QString::fromStdString(m_subtitlePath);
    }
    GetSubtitlesLog().UpdateTask(taskId, PollFinished, subtitlePath);
    return PollFinished;
}

void CAudio2TxtNetOper::ReadSuccess(const web::json::value& result)
{
    // Read whole before anything is kept, so a result that turns out malformed halfway leaves
    // the earlier lines and text as they were.
    utility::string_t text;
    if (result.has_field("result")) {
        for (const web::json::value& part : ArrayMember(result, "result"))
            text += part.as_string();
    }
    std::vector<std::unique_ptr<SrtLineInfo>> lines;
    if (result.has_field("detailed_result")) {
        for (const web::json::value& sentence : ArrayMember(result, "detailed_result")) {
            if (!sentence.is_object())
                Malformed(Audio2TxtErrors::kNotAnObject);
            auto line = std::make_unique<SrtLineInfo>();
            if (sentence.has_field("res")) {
                for (const web::json::value& part : ArrayMember(sentence, "res"))
                    line->text += part.as_string();
            }
            ReadJsonInt(sentence, "begin_time", line->begin);
            ReadJsonInt(sentence, "end_time", line->end);
            if (sentence.has_field(kWords)) {
                for (const web::json::value& word : ArrayMember(sentence, kWords)) {
                    if (!word.is_object())
                        Malformed(Audio2TxtErrors::kNotAnObject);
                    SrtLineInfo::Word heard;
                    ReadJsonString(word, "word", heard.text);
                    ReadJsonInt(word, "begin_time", heard.begin);
                    ReadJsonInt(word, "end_time", heard.end);
                    line->words.push_back(std::move(heard));
                }
            }
            lines.push_back(std::move(line));
        }
    }
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    m_resultText += text;
    m_lines = std::move(lines);
}

bool CAudio2TxtNetOper::WriteSubtitleFiles()
{
    QString srtPath;
    QString srt;
    QString text;
    {
        std::lock_guard<std::mutex> lock(m_fieldsMutex);
        m_writeError.clear();
        if (m_subtitlePath.empty())
            return true;
        srtPath = QString::fromStdString(m_subtitlePath);
        QList<SrtLineInfo*> lines;
        for (const auto& line : m_lines)
            lines.append(line.get());
        srt = SrtWriter::BuildSrt(lines);
        text = QString::fromStdString(m_resultText);
    }
    // The first files are made beside whatever holds their names; a run again replaces its own.
    const bool own = m_wroteSrt == srtPath;
    QString error;
    QString companion;
    bool written = SrtWriter::WriteResultFile(srtPath, srt, own, &error);
    if (written) {
        companion = SrtWriter::CompanionPath(srtPath);
        written = SrtWriter::WriteResultFile(companion, text, own, &error);
        // A subtitle file without its text is half a result: neither is handed on.
        if (!written && !own)
            QFile::remove(srtPath);
    }
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    if (!written) {
        m_writeError = error;
        return false;
    }
    m_wroteSrt = srtPath;
    m_subtitlePath = srtPath.toStdString();
    return true;
}

