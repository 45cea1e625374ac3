#include "ChatService.h"

#include "EndpointRouter.h"
#include "FaultSwitches.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "RandomText.h"
#include "TranslationAnswer.h"
#include "TokenRegistry.h"
#include "Utf8Text.h"

#include <chrono>

namespace {

constexpr const char *kInvalidTokenMessage = "Access token invalid or no longer valid";
constexpr const char *kInvalidJsonMessage = "Invalid JSON";
constexpr const char *kEmptyContentMessage = "the content of message can not be empty";

void SendFailure(httplib::Response &res, int code, const char *message)
{
    auto body = web::json::value::object();
    body["error_code"] = web::json::value::number(code);
    body["error_msg"] = web::json::value::string(message);
    JsonReply::Send(res, 200, body);
}

web::json::value WrongTypesReply()
{
    auto body = web::json::value::object();
    body["id"] = web::json::value::number(42);
    body["object"] = web::json::value::array();
    body["created"] = web::json::value::string("yesterday");
    body["result"] = web::json::value::object();
    body["result"]["text"] = web::json::value::string("the text should have been a string");
    body["is_truncated"] = web::json::value::string("no");
    body["need_clear_history"] = web::json::value::number(0);
    body["error_code"] = web::json::value::string("110");
    body["error_msg"] = web::json::value::number(336003);
    body["usage"] = web::json::value::string("many tokens");
    return body;
}

// All message contents count towards the prompt, as the whole conversation is sent each time.
int PromptTokens(const web::json::array &messages)
{
    int total = 0;
    for (const auto &message : messages) {
        if (message.is_object() && message.has_string_field("content"))
            total += ChatService::EstimateTokens(message.at("content").as_string());
    }
    return total;
}

}  // namespace

ChatService::ChatService(TokenRegistry &tokens, FaultSwitches &faults) : tokens_(tokens), faults_(faults) {}

void ChatService::Register(EndpointRouter &router)
{
    router.AddEndpoint(
        kEndpoint, "POST", kPath, [this](const httplib::Request &req, httplib::Response &res) { Handle(req, res); },
        WrongTypesReply().serialize());
}

int ChatService::EstimateTokens(const std::string &text)
{
    int cjk = 0;
    int otherBytes = 0;
    for (const char32_t c : Utf8Text::Decode(text)) {
        if (Utf8Text::IsCjk(c))
            ++cjk;
        else
            otherBytes += c < 0x80 ? 1 : 2;
    }
    return cjk + (otherBytes + 3) / 4;
}

void ChatService::Handle(const httplib::Request &req, httplib::Response &res) const
{
    const auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (!tokens_.IsValid(FormEncoding::Find(fields, "access_token").value_or(""))) {
        SendFailure(res, kInvalidToken, kInvalidTokenMessage);
        return;
    }
    const auto request = JsonReply::Parse(req.body);
    if (!request) {
        SendFailure(res, kInvalidJson, kInvalidJsonMessage);
        return;
    }
    if (!request->is_object() || !request->has_array_field("messages") || request->at("messages").as_array().size() == 0) {
        SendFailure(res, kEmptyContent, kEmptyContentMessage);
        return;
    }
    const auto &messages = request->at("messages").as_array();
    const auto &last = *messages.rbegin();
    if (!last.is_object() || !last.has_string_field("content") || last.at("content").as_string().empty()) {
        SendFailure(res, kEmptyContent, kEmptyContentMessage);
        return;
    }

    std::string result;
    if (const auto translation = TranslationAnswer::RequestIn(last.at("content").as_string())) {
        std::string error;
        const auto fault = faults_.TakeAnswer(kEndpoint);
        if (!TranslationAnswer::Answer(*translation, fault ? *fault->answer : std::string(), result, error)) {
            SendFailure(res, kEmptyContent, error.c_str());
            return;
        }
    } else {
        result = generator_.Generate(last.at("content").as_string());
    }
    const int promptTokens = PromptTokens(messages);
    const int completionTokens = EstimateTokens(result);
    const auto created = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();

    auto body = web::json::value::object();
    body["id"] = web::json::value::string("as-" + RandomText::Alphanumeric(10));
    body["object"] = web::json::value::string("chat.completion");
    body["created"] = web::json::value::number(static_cast<int64_t>(created));
    body["result"] = web::json::value::string(result);
    body["is_truncated"] = web::json::value::boolean(false);
    body["need_clear_history"] = web::json::value::boolean(false);
    auto usage = web::json::value::object();
    usage["prompt_tokens"] = web::json::value::number(promptTokens);
    usage["completion_tokens"] = web::json::value::number(completionTokens);
    usage["total_tokens"] = web::json::value::number(promptTokens + completionTokens);
    body["usage"] = usage;
    JsonReply::Send(res, 200, body);
}
