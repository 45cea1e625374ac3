#include "service/AccessToken.h"

#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"

#include <cpprest/http_client.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <map>
#include <mutex>
#include <string>

const char* const kTokenUrlEmpty = "获取Token的网址为空,请检查配置文件！";
const char* const kTokenStatusFormat = "Token获取失败，请检查配置文件，错误代码：%d";
const char* const kTokenMalformed = "Token服务的回复格式有误：";

namespace {

using Clock = std::chrono::steady_clock;

// Asked again this long before the service says a token expires, so that a request made with it
// does not meet its end on the way.
constexpr std::chrono::seconds kExpiryMargin{300};

struct KeptToken
{
    utility::string_t token;
    Clock::time_point until;
};

std::mutex g_mutex;
std::map<std::string, KeptToken>& Kept()
{
    static auto* kept = new std::map<std::string, KeptToken>;
    return *kept;
}

std::string KeyOf(const utility::string_t& url, const utility::string_t& id, const utility::string_t& secret)
{
    return url + '\n' + id + '\n' + secret;
}

// How long a token may be used, from the reply's "expires_in" (a number or a numeral); zero when
// the reply does not say.
std::chrono::seconds Lifetime(const web::json::value& reply)
{
    if (!reply.is_object() || !reply.has_field("expires_in"))
        return {};
    const web::json::value& value = reply.at("expires_in");
    long long seconds = 0;
    if (value.is_integer())
        seconds = value.as_number().to_int64();
    else if (value.is_string())
        seconds = std::atoll(value.as_string().c_str());
    // The margin off a long life, half of a short one.
    const std::chrono::seconds life{std::max(0LL, seconds)};
    return life > 2 * kExpiryMargin ? life - kExpiryMargin : life / 2;
}

} // namespace

bool GetAccessToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                    utility::string_t& accessToken, RequestFailure& failure, const pplx::cancellation_token& cancel)
{
    const TokenSettings& settings = LoadTokenSettings();
    if (settings.URL.empty()) {
        failure = {TaskError::Kind::Local, kTokenUrlEmpty};
        return false;
    }
    const std::string key = KeyOf(settings.URL, clientId, clientSecret);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        const auto found = Kept().find(key);
        if (found != Kept().end() && Clock::now() < found->second.until) {
            accessToken = found->second.token;
            return true;
        }
    }
    try {
        web::http::client::http_client client = RestClient::Make(settings.URL);
        web::uri_builder query;
        query.append_query("grant_type", "client_credentials");
        query.append_query("client_id", clientId);
        query.append_query("client_secret", clientSecret);
        const web::uri address = query.to_uri();
        RestExchange exchange(
            client,
            [&address] {
                web::http::http_request request(web::http::methods::POST);
                request.set_request_uri(address);
                return request;
            },
            cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            failure = RequestFailure::Status(kTokenStatusFormat, int(exchange.Status()));
            return false;
        }
        const web::json::value reply = exchange.ReadJson(true);
        RestClient::TraceReply("token", reply);
        // Read into copies first, so a wrongly typed member leaves both fields as they were.
        utility::string_t error = failure.text;
        utility::string_t token = accessToken;
        ReadJsonString(reply, "error", error);
        ReadJsonString(reply, "access_token", token);
        const std::chrono::seconds life = Lifetime(reply);
        failure.text = error;
        accessToken = token;
        if (life.count() > 0 && !token.empty() && error.empty()) {
            std::lock_guard<std::mutex> lock(g_mutex);
            Kept()[key] = {token, Clock::now() + life};
        }
        return true;
    } catch (const std::exception& e) {
        failure = RequestFailure::Of(e, kTokenMalformed);
        return false;
    }
}

bool GetAccessToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                    utility::string_t& accessToken, utility::string_t& errorText,
                    const pplx::cancellation_token& cancel)
{
    RequestFailure failure{TaskError::Kind::None, errorText};
    const bool got = GetAccessToken(clientId, clientSecret, accessToken, failure, cancel);
    errorText = failure.text;
    return got;
}

void ForgetAccessToken(const utility::string_t& token)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::erase_if(Kept(), [&token](const auto& kept) { return kept.second.token == token; });
}

bool AttemptWithToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                      utility::string_t& accessToken, const std::function<bool()>& attempt,
                      const std::function<bool()>& refused, RequestFailure& renewal,
                      const pplx::cancellation_token& cancel)
{
    if (attempt())
        return true;
    if (!refused())
        return false;
    ForgetAccessToken(accessToken);
    return GetAccessToken(clientId, clientSecret, accessToken, renewal, cancel) && attempt();
}

void ForgetAccessTokens()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Kept().clear();
}
