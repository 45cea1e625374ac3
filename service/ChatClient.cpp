#include "service/ChatClient.h"

#include "service/BusyWait.h"
#include "service/CodeTable.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"

#include <cpprest/http_client.h>

#include <cstdint>
#include <exception>
#include <optional>

namespace {

// The service's answer to more questions a second than the account may ask.
constexpr int kTooManyQuestions = 18;

// The chat service's "error_code" values and what a user reads for them.
constexpr CodeText kServiceCodes[] = {
    {1, "服务器内部错误"},
    {2, "服务暂不可用"},
    {3, "调用的API不存在，请检查后重新尝试"},
    {4, "集群超限额"},
    {6, "无权限访问该用户数据"},
    {13, "获取token失败"},
    {14, "IAM鉴权失败"},
    {15, "应用不存在或者创建失败"},
    {17, "日配额流量超限"},
    {18, "QPS超限额"},
    {19, "请求总量超限额"},
    {100, "无效的access_token参数，请检查后重新尝试"},
    {110, "access_token无效"},
    {111, "access token过期"},
    {336000, "服务内部错误"},
    {336001, "入参格式有误"},
    {336002, "入参body不是标准的JSON格式"},
    {336003, "参数校验不合法"},
    {336004, "权限控制出错"},
    {336005, "定制化模型服务apiname不存在"},
    {336101, "非法的HTTP Method"},
};

} // namespace

ChatClient::ChatClient(utility::string_t url, const Wording& wording) : m_url(std::move(url)), m_wording(wording) {}

bool ChatClient::Fail(RequestFailure failure)
{
    m_failure = std::move(failure);
    return false;
}

bool ChatClient::Ask(const utility::string_t& accessToken, const utility::string_t& content,
                     const pplx::cancellation_token& cancel)
{
    // Asked again while the service says it has too many questions a second.
    BusyWait busy;
    do {
        if (AskOnce(accessToken, content, cancel))
            return true;
    } while (m_failure.serviceCode == kTooManyQuestions && busy.Wait(cancel));
    return false;
}

bool ChatClient::AskOnce(const utility::string_t& accessToken, const utility::string_t& content,
                         const pplx::cancellation_token& cancel)
{
    std::optional<web::http::client::http_client> client;
    try {
        client.emplace(RestClient::Make(m_url));
    } catch (const std::exception& e) {
        return Fail({TaskError::Kind::Local, m_wording.badAddress + RestClient::ErrorText(e)});
    }
    try {
        web::json::value message = web::json::value::object(true);
        message["content"] = web::json::value::string(content);
        message["role"] = web::json::value::string("user");
        web::json::value body = web::json::value::object(true);
        body["messages"] = web::json::value::array({message});
        // The address is the service's own: the request adds only the token to its query.
        RestExchange exchange(*client, [&] { return RestClient::JsonPost("", accessToken, body); }, cancel);
        if (exchange.Status() != web::http::status_codes::OK)
            return Fail(RequestFailure::Status(m_wording.statusFormat, int(exchange.Status())));
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply(m_wording.traceName, reply);
        return ReadReply(reply);
    } catch (const std::exception& e) {
        return Fail(RequestFailure::Of(e, m_wording.malformedReply));
    }
}

bool ChatClient::ReadReply(const web::json::value& reply)
{
    m_answer.clear();
    try {
        int32_t errorCode = 0;
        if (ReadJsonInt(reply, "error_code", errorCode) && errorCode != 0)
            return Fail(RequestFailure::Refusal(TextForCode(kServiceCodes, errorCode, kUnknownCodeText), errorCode));
        ReadJsonString(reply, "result", m_answer);
    } catch (const web::json::json_exception& e) {
        m_answer.clear();
        return Fail(RequestFailure::Unreadable(m_wording.malformedReply + RestClient::ErrorText(e)));
    }
    if (m_answer.empty())
        return Fail(RequestFailure::Unreadable(m_wording.emptyResult));
    return true;
}
