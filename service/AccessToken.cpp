#include "service/AccessToken.h"

#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"

#include <cpprest/http_client.h>

#include <cstdio>
#include <exception>

const char* const kTokenUrlEmpty = "获取Token的网址为空,请检查配置文件！";
const char* const kTokenStatusFormat = "Token获取失败，请检查配置文件，错误代码：%d";
const char* const kTokenMalformed = "Token服务的回复格式有误：";

bool GetAccessToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                    utility::string_t& accessToken, utility::string_t& errorText,
                    const pplx::cancellation_token& cancel)
{
    const TokenSettings& settings = LoadTokenSettings();
    if (settings.URL.empty()) {
        errorText = kTokenUrlEmpty;
        return false;
    }
    try {
        web::http::client::http_client client = RestClient::Make(settings.URL);
        web::http::http_request request(web::http::methods::POST);
        web::uri_builder query;
        query.append_query("grant_type", "client_credentials");
        query.append_query("client_id", clientId);
        query.append_query("client_secret", clientSecret);
        request.set_request_uri(query.to_uri());

        RestExchange exchange(client, request, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            errorText = RestClient::FormatNumber(kTokenStatusFormat, int(exchange.Status()));
            return false;
        }
        const web::json::value reply = exchange.ReadJson(true);
        RestClient::TraceReply("token", reply);
        // Read into copies first, so a wrongly typed member leaves both fields as they were.
        utility::string_t error = errorText;
        utility::string_t token = accessToken;
        ReadJsonString(reply, "error", error);
        ReadJsonString(reply, "access_token", token);
        errorText = error;
        accessToken = token;
        return true;
    } catch (const web::json::json_exception& e) {
        errorText = kTokenMalformed + RestClient::ErrorText(e);
        return false;
    } catch (const std::exception& e) {
        errorText = RestClient::ErrorText(e);
        return false;
    }
}
