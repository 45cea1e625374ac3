#include "subtitles/WttHttp.h"

#include "host/QOVSystem.h"
#include "mediakit/CodePage936.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "subtitles/MultipartFormBuilder.h"

#include <QString>

#include <cpprest/rawptrstream.h>
#include <cpprest/http_client.h>

#include <exception>

namespace WttHttp {

namespace {

const char* const kFormContentType = "application/x-www-form-urlencoded; charset=UTF-8";
const char* const kFileParameter = "content";

int32_t Send(const utility::string_t& baseUrl, web::http::http_request& request, utility::string_t& reply,
             const pplx::cancellation_token& cancel)
{
    try {
        web::http::client::http_client client = RestClient::Make(baseUrl);
        RestExchange exchange(client, request, cancel);
        if (exchange.Status() != web::http::status_codes::OK)
            return -1;
        // Every reply of the service is JSON text: one that runs past the limit is not held.
        reply = exchange.ReadBody(RestClient::kMaxJsonReplyBytes);
        return 0;
    } catch (const std::exception& error) {
        if (QOVDebugOutputEnabled())
            QOVDebugOutput(QStringLiteral("file transcription: ") +
                           QString::fromStdString(RestClient::ErrorText(error)));
    }
    return -1;
}

} // namespace

utility::string_t FormRequestUri(const utility::string_t& path, const nsWtt::ParamMap& params)
{
    web::uri_builder address(path);
    for (const auto& [name, value] : params)
        address.append_query(name, value);
    return address.to_string();
}

int32_t PostFormRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                        const nsWtt::ParamMap& params, utility::string_t& reply, const pplx::cancellation_token& cancel)
{
    web::http::http_request request(web::http::methods::POST);
    try {
        request.set_request_uri(FormRequestUri(path, params));
    } catch (const std::exception&) {
        return -1;
    }
    request.headers().set_content_type(kFormContentType);
    request.headers().set_content_length(0);
    return Send(baseUrl, request, reply, cancel);
}

int32_t PostMultipartRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                             const nsWtt::ParamMap& params, utility::string_t& reply,
                             const pplx::cancellation_token& cancel)
{
    MultipartFormBuilder builder;
    for (const auto& [name, value] : params) {
        if (name == kFileParameter)
            builder.AddFilePart(CodePage936::FromUtf8(name), CodePage936::FromUtf8(value));
        else
            builder.AddTextPart(CodePage936::FromUtf8(name), CodePage936::FromUtf8(value));
    }
    if (!builder.Build())
        return -1;
    const std::string& body = builder.Body();
    web::http::http_request request(web::http::methods::POST);
    try {
        request.set_request_uri(web::uri(path));
        // A stream over the builder's body, which outlives the exchange: the file is in memory once.
        concurrency::streams::rawptr_buffer<uint8_t> buffer(reinterpret_cast<const uint8_t*>(body.data()), body.size());
        request.set_body(buffer.create_istream(), body.size(), builder.ContentType());
    } catch (const std::exception&) {
        return -1;
    }
    return Send(baseUrl, request, reply, cancel);
}

} // namespace WttHttp
