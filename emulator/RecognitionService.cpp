#include "RecognitionService.h"

#include "EndpointRouter.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "ObjectStore.h"
#include "ObjectStoreService.h"
#include "RecognitionQueue.h"
#include "RecognitionRequest.h"
#include "SpeechUrl.h"
#include "TaskReplies.h"
#include "TokenRegistry.h"

#include <utility>

namespace {

using TaskReplies::kTaskIdsMember;

// The result's text a string where a list belongs, and its sentences an object.
web::json::value WrongQueryReply()
{
    auto result = web::json::value::object();
    result["result"] = web::json::value::string("not a list");
    result["detailed_result"] = web::json::value::object();
    return TaskReplies::WrongQueryReply(web::json::value::array({TaskReplies::WrongTaskInfo(3, result)}));
}

web::json::value Strings(const std::vector<std::string> &texts)
{
    auto array = web::json::value::array();
    for (std::size_t i = 0; i < texts.size(); ++i)
        array[i] = web::json::value::string(texts[i]);
    return array;
}

web::json::value SentenceJson(const RecognizedSentence &sentence)
{
    auto item = web::json::value::object();
    item["res"] = Strings({sentence.text});
    item["begin_time"] = web::json::value::number(sentence.beginMs);
    item["end_time"] = web::json::value::number(sentence.endMs);
    if (!sentence.words.empty()) {
        auto words = web::json::value::array();
        for (std::size_t i = 0; i < sentence.words.size(); ++i) {
            auto word = web::json::value::object();
            word["word"] = web::json::value::string(sentence.words[i].text);
            word["begin_time"] = web::json::value::number(sentence.words[i].beginMs);
            word["end_time"] = web::json::value::number(sentence.words[i].endMs);
            words[i] = word;
        }
        item["words"] = words;
    }
    return item;
}

}  // namespace

RecognitionService::RecognitionService(TokenRegistry &tokens, ObjectStore &store, RecognitionQueue &queue,
                                       std::string bucket, std::chrono::milliseconds minRunning)
    : tokens_(tokens),
      store_(store),
      queue_(queue),
      bucket_(std::move(bucket)),
      tasks_(minRunning),
      nextLogId_(std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count())
{
}

void RecognitionService::Register(EndpointRouter &router)
{
    using Req = httplib::Request;
    using Res = httplib::Response;
    router.AddEndpoint(
        kCreateEndpoint, "POST", kCreatePath, [this](const Req &req, Res &res) { HandleCreate(req, res); },
        TaskReplies::WrongCreateReply().serialize());
    router.AddEndpoint(
        kQueryEndpoint, "POST", kQueryPath, [this](const Req &req, Res &res) { HandleQuery(req, res); },
        WrongQueryReply().serialize());
}

void RecognitionService::HandleCreate(const httplib::Request &req, httplib::Response &res)
{
    if (!CheckToken(req, res))
        return;
    const RecognitionRequest request(req.body);
    if (request.ErrorCode() != 0) {
        SendFailure(res, request.ErrorCode(), request.ErrorMessage(), {request.ErrorDetail()});
        return;
    }
    const std::string id = tasks_.Add(request.Language());
    const std::string key = KeyOf(req, request.SpeechUrl());
    if (key.empty()) {
        tasks_.Fail(id, kFetchFailed,
                    "cannot fetch " + request.SpeechUrl() + ": it is not an address of an object in bucket " +
                        bucket_ + " of this store");
    } else {
        queue_.Post([this, id, url = request.SpeechUrl(), key, raw = request.IsRaw(), rate = request.Rate(),
                     words = request.WordTimes()](SpeechRecognizer &recognizer, const std::atomic<bool> &stopping) {
            Recognize(id, url, key, {raw, rate, words}, recognizer, stopping);
        });
    }
    JsonReply::Send(res, 200, TaskReplies::Created(NextLogId(), id));
}

void RecognitionService::HandleQuery(const httplib::Request &req, httplib::Response &res) const
{
    if (!CheckToken(req, res))
        return;
    const auto request = JsonReply::Parse(req.body);
    if (!request || !request->is_object()) {
        SendFailure(res, RecognitionRequest::kInvalidJson, RecognitionRequest::kInvalidJsonMessage,
                    {"the body must be a JSON object with task_ids"});
        return;
    }
    if (!request->has_field(kTaskIdsMember)) {
        SendFailure(res, RecognitionRequest::kMissingParameter, std::string("missing parameter: ") + kTaskIdsMember,
                    {std::string(kTaskIdsMember) + " is required"});
        return;
    }
    const auto &ids = request->at(kTaskIdsMember);
    bool valid = ids.is_array() && ids.size() > 0 && ids.size() <= kMaxQueryIds;
    for (std::size_t i = 0; valid && i < ids.size(); ++i)
        valid = ids.at(i).is_string();
    if (!valid) {
        SendFailure(res, RecognitionRequest::kInvalidParameter, std::string("invalid parameter: ") + kTaskIdsMember,
                    {std::string(kTaskIdsMember) + " must be an array of 1 to " + std::to_string(kMaxQueryIds) +
                     " task ids"});
        return;
    }

    auto infos = web::json::value::array();
    std::vector<std::string> unknown;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string id = ids.at(i).as_string();
        if (const auto task = tasks_.Find(id))
            infos[infos.size()] = TaskInfo(id, *task);
        else
            unknown.push_back(id);
    }
    if (infos.size() == 0) {
        SendFailure(res, kTaskNotFound, kTaskNotFoundMessage, unknown);
        return;
    }
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::number(NextLogId());
    body["tasks_info"] = infos;
    if (!unknown.empty())
        body["error_info"] = Strings(unknown);
    JsonReply::Send(res, 200, body);
}

bool RecognitionService::CheckToken(const httplib::Request &req, httplib::Response &res) const
{
    const auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (tokens_.IsValid(FormEncoding::Find(fields, "access_token").value_or("")))
        return true;
    SendFailure(res, kInvalidToken, kInvalidTokenMessage, {"access_token is missing or was not issued here"});
    return false;
}

void RecognitionService::SendFailure(httplib::Response &res, int code, const std::string &message,
                                     const std::vector<std::string> &info) const
{
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::number(NextLogId());
    body["error_code"] = web::json::value::number(code);
    body["error_msg"] = web::json::value::string(message);
    body["error_info"] = Strings(info);
    JsonReply::Send(res, 200, body);
}

std::string RecognitionService::KeyOf(const httplib::Request &req, const std::string &url) const
{
    const auto parts = SpeechUrl::Parse(url, bucket_);
    if (!parts || parts->port != req.local_port)
        return {};
    // The store is this server: the address may name it as the client reached it, or as loopback.
    const std::string host = req.get_header_value("Host");
    const std::string reachedAs = host.substr(0, host.rfind(':'));
    const bool here = parts->host == req.local_addr || parts->host == reachedAs || parts->host == "localhost" ||
                      (parts->host == "127.0.0.1" && req.local_addr == "127.0.0.1");
    return here ? parts->key : std::string();
}

void RecognitionService::Recognize(const std::string &id, const std::string &url, const std::string &key,
                                   const Asked &asked, SpeechRecognizer &recognizer, const std::atomic<bool> &stopping)
{
    // Keys come unencoded in addresses; a client that encoded one anyway is understood too.
    auto object = store_.Open(key);
    if (!object)
        object = store_.Open(ObjectStoreService::DecodeKey(key));
    if (!object) {
        tasks_.Fail(id, kFetchFailed, "cannot fetch " + url + ": the store holds no object " + key);
        return;
    }
    AudioSource source;
    source.fd = object->Fd();
    source.offset = object->ContentOffset();
    source.length = object->Meta().size;
    source.raw = asked.raw;
    source.rawSampleRate = asked.rate;
    const auto view = tasks_.Find(id);
    const auto language = view ? view->language : SpeechRecognizer::Language::Mandarin;
    auto outcome = recognizer.Recognize(source, language, &stopping);
    switch (outcome.failure) {
    case SpeechRecognizer::Failure::None:
        // The words made the sentences' text either way; their times go only to who asked.
        if (!asked.wordTimes) {
            for (auto &sentence : outcome.sentences)
                sentence.words.clear();
        }
        tasks_.Succeed(id, outcome.durationMs, std::move(outcome.sentences));
        return;
    case SpeechRecognizer::Failure::Cancelled:
        return;
    case SpeechRecognizer::Failure::Unreadable:
        tasks_.Fail(id, kUndecodable, "the recording at " + url + " cannot be decoded: " + outcome.error);
        return;
    case SpeechRecognizer::Failure::Empty:
        tasks_.Fail(id, kEmptyAudio, "the recording at " + url + " holds no audio");
        return;
    case SpeechRecognizer::Failure::TooLong:
        tasks_.Fail(id, kTooLong, "the recording at " + url + " is longer than five hours");
        return;
    case SpeechRecognizer::Failure::NoModel:
        tasks_.Fail(id, kRecognizerUnavailable, outcome.error);
        return;
    }
}

// Running tasks have no result yet; finished ones carry either the text or the reason they failed.
web::json::value RecognitionService::TaskInfo(const std::string &id, const RecognitionTaskStore::View &task) const
{
    if (task.status == RecognitionTaskStore::Status::Running)
        return TaskReplies::Running(id);
    if (task.status == RecognitionTaskStore::Status::Failure)
        return TaskReplies::Failed(id, task.errorNumber, task.errorMessage);
    auto result = web::json::value::object();
    auto details = web::json::value::array();
    for (std::size_t i = 0; i < task.sentences.size(); ++i)
        details[i] = SentenceJson(task.sentences[i]);
    result["result"] = Strings({SpeechRecognizer::JoinedText(task.sentences, task.language)});
    result["audio_duration"] = web::json::value::number(task.durationMs);
    result["detailed_result"] = details;
    return TaskReplies::Succeeded(id, result);
}

std::int64_t RecognitionService::NextLogId() const { return nextLogId_++; }
