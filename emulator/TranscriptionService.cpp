#include "TranscriptionService.h"

#include "BodySpool.h"
#include "Cp936Text.h"
#include "EndpointRouter.h"
#include "JsonReply.h"
#include "MultipartParser.h"
#include "RecognitionQueue.h"
#include "SpeechRecognizer.h"
#include "TranscriptionSignature.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace {

constexpr const char *kFilePart = "content";
constexpr const char *kMandarin = "cn";
constexpr const char *kEnglish = "en";
constexpr const char *kSpeaker = "0";

// The upload steps answer err_no as a text and the progress and result steps as a number,
// which is how their clients read each.
enum class ErrNo { Text, Number };

void Reply(httplib::Response &res, ErrNo style, int errNo, const web::json::value &failed, const web::json::value &data)
{
    auto body = web::json::value::object();
    body["ok"] = web::json::value::number(errNo == 0 ? 0 : -1);
    body["err_no"] = style == ErrNo::Text ? web::json::value::string(std::to_string(errNo)) : web::json::value::number(errNo);
    body["failed"] = failed;
    body["data"] = data;
    JsonReply::Send(res, 200, body);
}

void Succeed(httplib::Response &res, ErrNo style, const web::json::value &data)
{
    Reply(res, style, 0, web::json::value::null(), data);
}

void Refuse(httplib::Response &res, ErrNo style, const TranscriptionError &error)
{
    Reply(res, style, error.number, web::json::value::string(error.message), web::json::value::null());
}

TranscriptionError Missing(const std::string &name)
{
    return TranscriptionError::Make(TranscriptionError::kBadParameter, "missing parameter: " + name);
}

std::optional<std::uint64_t> Unsigned(const std::string &text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> Signed(const std::string &text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsSliceId(const std::string &text)
{
    return text.size() == TranscriptionService::kSliceIdLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The query string, and a form body when one is sent too.
FormEncoding::Fields ParamsOf(const httplib::Request &req)
{
    auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (FormEncoding::IsFormContentType(EndpointRouter::ContentTypeOf(req))) {
        const auto form = FormEncoding::Parse(req.body);
        fields.insert(fields.end(), form.begin(), form.end());
    }
    return fields;
}

web::json::value WrongTextReply()
{
    auto body = web::json::value::object();
    body["ok"] = web::json::value::string("0");
    body["err_no"] = web::json::value::number(0);
    body["failed"] = web::json::value::array();
    body["data"] = web::json::value::number(7);
    return body;
}

web::json::value WrongNumberReply()
{
    auto data = web::json::value::object();
    data["status"] = web::json::value::string("9");
    auto body = web::json::value::object();
    body["ok"] = web::json::value::number(0);
    body["err_no"] = web::json::value::string("0");
    body["failed"] = web::json::value::number(1);
    body["data"] = data;
    return body;
}

std::string ResultText(const std::vector<RecognizedSentence> &sentences)
{
    auto array = web::json::value::array();
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        auto item = web::json::value::object();
        item["bg"] = web::json::value::string(std::to_string(sentences[i].beginMs));
        item["ed"] = web::json::value::string(std::to_string(sentences[i].endMs));
        item["onebest"] = web::json::value::string(sentences[i].text);
        item["speaker"] = web::json::value::string(kSpeaker);
        array[i] = item;
    }
    return array.serialize();
}

}  // namespace

TranscriptionService::TranscriptionService(Account account, RecognitionQueue &queue, std::filesystem::path folder,
                                           std::chrono::milliseconds step)
    : account_(std::move(account)), queue_(queue), folder_(std::move(folder)), tasks_(folder_ / "tasks", step)
{
}

void TranscriptionService::Register(EndpointRouter &router)
{
    using Req = httplib::Request;
    using Res = httplib::Response;
    const std::string prefix = kPrefix;
    const std::string text = WrongTextReply().serialize();
    const std::string number = WrongNumberReply().serialize();
    router.AddEndpoint(
        kPrepareEndpoint, "POST", prefix + "/prepare", [this](const Req &req, Res &res) { HandlePrepare(req, res); }, text);
    router.AddStreamingEndpoint(
        kUploadEndpoint, "POST", prefix + "/upload",
        [this](const Req &req, Res &res, const httplib::ContentReader &reader) { HandleUpload(req, res, reader); }, text);
    router.AddEndpoint(
        kMergeEndpoint, "POST", prefix + "/merge", [this](const Req &req, Res &res) { HandleMerge(req, res); }, text);
    router.AddEndpoint(
        kProgressEndpoint, "POST", prefix + "/getProgress",
        [this](const Req &req, Res &res) { HandleProgress(req, res); }, number);
    router.AddEndpoint(
        kResultEndpoint, "POST", prefix + "/getResult", [this](const Req &req, Res &res) { HandleResult(req, res); },
        number);
}

void TranscriptionService::HandlePrepare(const httplib::Request &req, httplib::Response &res)
{
    const Fields fields = ParamsOf(req);
    if (auto error = CheckCaller(fields)) {
        Refuse(res, ErrNo::Text, error);
        return;
    }
    for (const char *name : {"file_len", "file_name", "slice_num"}) {
        if (!FormEncoding::Find(fields, name)) {
            Refuse(res, ErrNo::Text, Missing(name));
            return;
        }
    }
    TranscriptionTaskStore::Announcement announcement;
    announcement.fileName = *FormEncoding::Find(fields, "file_name");
    const auto length = Unsigned(*FormEncoding::Find(fields, "file_len"));
    const auto slices = Signed(*FormEncoding::Find(fields, "slice_num"));
    const std::string language = FormEncoding::Find(fields, "language").value_or(kMandarin);
    TranscriptionError error;
    if (announcement.fileName.empty())
        error = TranscriptionError::Make(TranscriptionError::kBadParameter, "file_name is empty");
    else if (!length)
        error = TranscriptionError::Make(TranscriptionError::kBadParameter, "file_len is not a size in bytes");
    else if (*length == 0)
        error = TranscriptionError::Make(TranscriptionError::kEmptyAudio, "file_len is 0");
    else if (*length > kMaxFileBytes)
        error = TranscriptionError::Make(TranscriptionError::kFileTooLarge, "file_len is " + std::to_string(*length));
    else if (!slices || *slices < 1 || *slices > kMaxSlices)
        error = TranscriptionError::Make(TranscriptionError::kBadParameter,
                                         "slice_num must be a count from 1 to " + std::to_string(kMaxSlices));
    else if (language != kMandarin && language != kEnglish)
        error = TranscriptionError::Make(TranscriptionError::kLanguageNotAllowed,
                                         "language " + language + "; this service transcribes cn and en");
    if (error) {
        Refuse(res, ErrNo::Text, error);
        return;
    }
    announcement.fileLength = *length;
    announcement.slices = static_cast<int>(*slices);
    announcement.language = language == kEnglish ? SpeechRecognizer::Language::English : SpeechRecognizer::Language::Mandarin;
    Succeed(res, ErrNo::Text, web::json::value::string(tasks_.Create(std::move(announcement))));
}

void TranscriptionService::HandleUpload(const httplib::Request &req, httplib::Response &res,
                                        const httplib::ContentReader &reader)
{
    BodySpool spool(folder_ / "incoming");
    switch (spool.Receive(reader, kMaxUploadBytes)) {
    case BodySpool::Status::Whole:
        break;
    case BodySpool::Status::TooLarge:
        res.set_header("Connection", "close");
        Refuse(res, ErrNo::Text, TranscriptionError::Make(TranscriptionError::kUploadTooLarge, "the upload is too large"));
        return;
    case BodySpool::Status::Broken:
        res.set_header("Connection", "close");
        Refuse(res, ErrNo::Text,
               TranscriptionError::Make(TranscriptionError::kUploadFailed, "the body ended before its announced length"));
        return;
    case BodySpool::Status::DiskFailed:
        Refuse(res, ErrNo::Text, TranscriptionError::Make(TranscriptionError::kGeneral, "the upload cannot be stored"));
        return;
    }
    Fields fields;
    std::string_view file;
    auto error = ReadUpload(req, spool.Bytes(), fields, file);
    if (!error)
        error = CheckCaller(fields);
    for (const char *name : {"task_id", "slice_id"}) {
        if (!error && !FormEncoding::Find(fields, name))
            error = Missing(name);
    }
    const std::string taskId = FormEncoding::Find(fields, "task_id").value_or("");
    const std::string sliceId = FormEncoding::Find(fields, "slice_id").value_or("");
    if (!error && !tasks_.Exists(taskId))
        error = TranscriptionError::Make(TranscriptionError::kUnknownTask, "no task " + taskId);
    if (!error && file.data() == nullptr)
        error = TranscriptionError::Make(TranscriptionError::kUploadFailed,
                                         std::string("the body has no file part named ") + kFilePart);
    if (!error && !IsSliceId(sliceId))
        error = TranscriptionError::Make(TranscriptionError::kBadParameter, "slice_id must be ten letters a to z");
    if (!error)
        error = tasks_.AddSlice(taskId, sliceId, file);
    if (error)
        Refuse(res, ErrNo::Text, error);
    else
        Succeed(res, ErrNo::Text, web::json::value::null());
}

void TranscriptionService::HandleMerge(const httplib::Request &req, httplib::Response &res)
{
    const Fields fields = ParamsOf(req);
    auto error = CheckCaller(fields);
    for (const char *name : {"task_id", "file_name"}) {
        if (!error && !FormEncoding::Find(fields, name))
            error = Missing(name);
    }
    if (error) {
        Refuse(res, ErrNo::Text, error);
        return;
    }
    const std::string id = *FormEncoding::Find(fields, "task_id");
    const auto merged = tasks_.Merge(id);
    if (merged.error) {
        Refuse(res, ErrNo::Text, merged.error);
        return;
    }
    queue_.Post([this, id, audio = merged.audio, language = merged.language](SpeechRecognizer &recognizer,
                                                                           const std::atomic<bool> &stopping) {
        Recognize(id, audio, language, recognizer, stopping);
    });
    Succeed(res, ErrNo::Text, web::json::value::null());
}

void TranscriptionService::HandleProgress(const httplib::Request &req, httplib::Response &res) const
{
    const Fields fields = ParamsOf(req);
    auto error = CheckCaller(fields);
    if (!error && !FormEncoding::Find(fields, "task_id"))
        error = Missing("task_id");
    const std::string id = FormEncoding::Find(fields, "task_id").value_or("");
    const auto progress = error ? std::nullopt : tasks_.ProgressOf(id);
    if (!error && !progress)
        error = TranscriptionError::Make(TranscriptionError::kUnknownTask, "no task " + id);
    if (!error)
        error = progress->error;
    if (error) {
        Refuse(res, ErrNo::Number, error);
        return;
    }
    auto data = web::json::value::object();
    data["status"] = web::json::value::number(progress->status);
    data["desc"] = web::json::value::string(TranscriptionTaskStore::DescriptionOf(progress->status));
    Succeed(res, ErrNo::Number, web::json::value::string(data.serialize()));
}

void TranscriptionService::HandleResult(const httplib::Request &req, httplib::Response &res) const
{
    const Fields fields = ParamsOf(req);
    auto error = CheckCaller(fields);
    if (!error && !FormEncoding::Find(fields, "task_id"))
        error = Missing("task_id");
    const std::string id = FormEncoding::Find(fields, "task_id").value_or("");
    const auto result = error ? std::nullopt : tasks_.ResultOf(id);
    if (!error && !result)
        error = TranscriptionError::Make(TranscriptionError::kUnknownTask, "no task " + id);
    if (!error)
        error = result->error;
    if (!error && !result->done)
        error = TranscriptionError::Make(TranscriptionError::kStillProcessing, "");
    if (error) {
        Refuse(res, ErrNo::Number, error);
        return;
    }
    Succeed(res, ErrNo::Number, web::json::value::string(ResultText(result->sentences)));
}

TranscriptionError TranscriptionService::CheckCaller(const Fields &fields) const
{
    for (const char *name : {"app_id", "signa", "ts"}) {
        if (!FormEncoding::Find(fields, name))
            return Missing(name);
    }
    const std::string appId = *FormEncoding::Find(fields, "app_id");
    const std::string ts = *FormEncoding::Find(fields, "ts");
    std::string signa = *FormEncoding::Find(fields, "signa");
    // A '+' of the Base64 text sent unencoded has been read as a space; Base64 holds no spaces.
    std::replace(signa.begin(), signa.end(), ' ', '+');
    if (appId != account_.appId)
        return TranscriptionError::Make(TranscriptionError::kInvalidApplication, "unknown app_id " + appId);
    if (signa != TranscriptionSignature::Sign(appId, account_.key, ts))
        return TranscriptionError::Make(TranscriptionError::kInvalidApplication, "the signature does not match");
    const auto seconds = Signed(ts);
    if (!seconds)
        return TranscriptionError::Make(TranscriptionError::kBadParameter, "ts is not a time in seconds");
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    if (*seconds < now - kMaxClockSkewSeconds || *seconds > now + kMaxClockSkewSeconds)
        return TranscriptionError::Make(TranscriptionError::kBadParameter,
                                        "ts is more than five minutes off the service's clock");
    return {};
}

TranscriptionError TranscriptionService::ReadUpload(const httplib::Request &req, std::string_view body, Fields &fields,
                                                    std::string_view &file) const
{
    const auto boundary = MultipartParser::BoundaryOf(EndpointRouter::ContentTypeOf(req));
    if (!boundary)
        return TranscriptionError::Make(TranscriptionError::kBadParameter,
                                        "the upload is not multipart/form-data with a boundary");
    const auto parsed = MultipartParser::Parse(body, *boundary);
    if (!parsed.ok)
        return TranscriptionError::Make(TranscriptionError::kBadParameter, "the multipart body: " + parsed.error);
    for (const auto &part : parsed.parts) {
        if (part.name == kFilePart) {
            file = part.content;
            continue;
        }
        // Text parts come in the client's code page, which is 936.
        auto value = Cp936Text::ToUtf8(part.content);
        if (!value)
            return TranscriptionError::Make(TranscriptionError::kBadParameter,
                                            "the part " + part.name + " is not code page 936 text");
        fields.emplace_back(part.name, std::move(*value));
    }
    return {};
}

void TranscriptionService::Recognize(const std::string &id, const std::filesystem::path &audio,
                                     SpeechRecognizer::Language language, SpeechRecognizer &recognizer,
                                     const std::atomic<bool> &stopping)
{
    const int fd = open(audio.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        tasks_.Fail(id, TranscriptionError::Make(TranscriptionError::kGeneral, "the merged audio is gone"));
        return;
    }
    AudioSource source;
    source.fd = fd;
    std::error_code sizeError;
    source.length = std::filesystem::file_size(audio, sizeError);
    auto outcome = recognizer.Recognize(source, language, &stopping);
    close(fd);
    switch (outcome.failure) {
    case SpeechRecognizer::Failure::None:
        tasks_.Succeed(id, std::move(outcome.sentences));
        return;
    case SpeechRecognizer::Failure::Cancelled:
        return;
    case SpeechRecognizer::Failure::Empty:
        tasks_.Fail(id, TranscriptionError::Make(TranscriptionError::kEmptyAudio, outcome.error));
        return;
    case SpeechRecognizer::Failure::Unreadable:
        tasks_.Fail(id, TranscriptionError::Make(TranscriptionError::kUnconvertible, outcome.error));
        return;
    case SpeechRecognizer::Failure::TooLong:
        tasks_.Fail(id, TranscriptionError::Make(TranscriptionError::kTooLong, outcome.error));
        return;
    case SpeechRecognizer::Failure::NoModel:
        tasks_.Fail(id, TranscriptionError::Make(TranscriptionError::kEngineFailed, outcome.error));
        return;
    }
}
