#include "LongSpeechService.h"

#include "EndpointRouter.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "LongSpeechRequest.h"
#include "RequestOrigin.h"
#include "TaskReplies.h"
#include "TokenRegistry.h"

#include <chrono>

namespace {

using TaskReplies::kTaskIdsMember;

// tasks_info an object where a list belongs, and the result an address where an object belongs.
web::json::value WrongQueryReply()
{
    return TaskReplies::WrongQueryReply(
        TaskReplies::WrongTaskInfo(2, web::json::value::string("http://127.0.0.1/not-an-object")));
}

web::json::value WrongFileReply()
{
    auto body = web::json::value::object();
    body["audio"] = web::json::value::number(0);
    body["format"] = web::json::value::array();
    return body;
}

}  // namespace

LongSpeechService::LongSpeechService(TokenRegistry &tokens)
    : tokens_(tokens),
      nextLogId_(std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count())
{
}

void LongSpeechService::Register(EndpointRouter &router)
{
    using Req = httplib::Request;
    using Res = httplib::Response;
    router.AddEndpoint(
        kCreateEndpoint, "POST", kCreatePath, [this](const Req &req, Res &res) { HandleCreate(req, res); },
        TaskReplies::WrongCreateReply().serialize());
    router.AddEndpoint(
        kQueryEndpoint, "POST", kQueryPath, [this](const Req &req, Res &res) { HandleQuery(req, res); },
        WrongQueryReply().serialize());
    router.AddEndpoint(
        kFileEndpoint, "GET", std::string(kFilePrefix) + "([0-9a-f]+)\\.(mp3|wav)",
        [this](const Req &req, Res &res) { HandleFile(req, res); }, WrongFileReply().serialize());
}

void LongSpeechService::Stop() { tasks_.Stop(); }

void LongSpeechService::HandleCreate(const httplib::Request &req, httplib::Response &res)
{
    if (!CheckToken(req, res))
        return;
    const LongSpeechRequest request(req.body);
    if (request.ErrorCode() != 0) {
        SendFailure(res, request.ErrorCode(), request.ErrorMessage());
        return;
    }
    const std::string id = tasks_.Add(request.Text(), request.Settings(), request.Format());
    JsonReply::Send(res, 200, TaskReplies::Created(NextLogId(), id));
}

void LongSpeechService::HandleQuery(const httplib::Request &req, httplib::Response &res)
{
    if (!CheckToken(req, res))
        return;
    const auto request = JsonReply::Parse(req.body);
    if (!request || !request->is_object()) {
        SendFailure(res, LongSpeechRequest::kInvalidJson, LongSpeechRequest::kInvalidJsonMessage);
        return;
    }
    if (!request->has_field(kTaskIdsMember)) {
        SendFailure(res, LongSpeechRequest::kMissingParameter, LongSpeechRequest::MissingMessage(kTaskIdsMember));
        return;
    }
    const auto &ids = request->at(kTaskIdsMember);
    bool allStrings = ids.is_array();
    for (std::size_t i = 0; allStrings && i < ids.size(); ++i)
        allStrings = ids.at(i).is_string();
    if (!allStrings) {
        SendFailure(res, LongSpeechRequest::kInvalidParameter, LongSpeechRequest::InvalidMessage(kTaskIdsMember));
        return;
    }

    const std::string origin = RequestOrigin(req);
    auto infos = web::json::value::array();
    for (std::size_t i = 0; i < ids.size(); ++i)
        infos[i] = TaskInfo(ids.at(i).as_string(), origin);
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::number(NextLogId());
    body["tasks_info"] = infos;
    JsonReply::Send(res, 200, body);
}

void LongSpeechService::HandleFile(const httplib::Request &req, httplib::Response &res) const
{
    const std::string id = req.matches[1];
    const SpeechFormat format = req.matches[2] == "wav" ? SpeechFormat::Wav : SpeechFormat::Mp3;
    const auto audio = tasks_.Audio(id, format);
    if (!audio) {
        JsonReply::SendError(res, 404, "not_found", "no synthesised audio at " + req.path);
        return;
    }
    res.status = 200;
    res.set_content(*audio, ContentTypeOf(format));
}

bool LongSpeechService::CheckToken(const httplib::Request &req, httplib::Response &res)
{
    const auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (tokens_.IsValid(FormEncoding::Find(fields, "access_token").value_or("")))
        return true;
    SendFailure(res, kInvalidToken, kInvalidTokenMessage);
    return false;
}

void LongSpeechService::SendFailure(httplib::Response &res, int code, const std::string &message)
{
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::number(NextLogId());
    body["error_code"] = web::json::value::number(code);
    body["error_msg"] = web::json::value::string(message);
    JsonReply::Send(res, 200, body);
}

// Unknown ids are answered with a failed entry rather than left out, so a client can tell a
// lost task from a slow one.
web::json::value LongSpeechService::TaskInfo(const std::string &id, const std::string &origin) const
{
    const auto task = tasks_.Find(id);
    if (!task || task->status == SpeechTaskQueue::Status::Failure)
        return TaskReplies::Failed(id, task ? kSynthesisFailed : kUnknownTask,
                                   task ? kSynthesisFailedMessage : kUnknownTaskMessage);
    if (task->status == SpeechTaskQueue::Status::Running)
        return TaskReplies::Running(id);
    auto result = web::json::value::object();
    result["speech_url"] = web::json::value::string(origin + kFilePrefix + id + "." + ExtensionOf(task->format) +
                                                    "?expires=" + std::to_string(task->expires) +
                                                    "&sign=" + task->sign);
    return TaskReplies::Succeeded(id, result);
}

std::int64_t LongSpeechService::NextLogId() { return nextLogId_++; }
