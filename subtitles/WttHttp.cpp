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
const char* const kStatusFormat = "转写服务请求失败，HTTP状态码：%d";
const char* const kUnreadableFile = "要上传的音频文件无法读取";

int32_t Fail(RequestFailure* failure, RequestFailure why)
{
    QOVDebugOutput(QStringLiteral("file transcription: ") + QString::fromStdString(why.text));
    if (failure)
        *failure = std::move(why);
    return -1;
}

int32_t Send(const utility::string_t& baseUrl, const RestExchange::RequestMaker& make, utility::string_t& reply,
             const pplx::cancellation_token& cancel, RequestFailure* failure)
{
    try {
        web::http::client::http_client client = RestClient::Make(baseUrl);
        RestExchange exchange(client, make, cancel);
        if (exchange.Status() != web::http::status_codes::OK)
            return Fail(failure, RequestFailure::Status(kStatusFormat, exchange.Status()));
        // Every reply of the service is JSON text: one that runs past the limit is not held.
        reply = exchange.ReadBody(RestClient::kMaxJsonReplyBytes);
        return 0;
    } catch (const std::exception& error) {
        return Fail(failure, RequestFailure::Of(error));
    }
}

} // namespace

int32_t PostFormRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                        const nsWtt::ParamMap& params, utility::string_t& reply, const pplx::cancellation_token& cancel,
                        RequestFailure* failure)
{
    utility::string_t address;
    try {
        web::uri_builder builder(path);
        for (const auto& [name, value] : params)
            builder.append_query(name, value);
        address = builder.to_string();
    } catch (const std::exception& error) {
        return Fail(failure, {TaskError::Kind::Local, RestClient::ErrorText(error)});
    }
    const auto make = [&address] {
        web::http::http_request request(web::http::methods::POST);
        request.set_request_uri(address);
        request.headers().set_content_type(kFormContentType);
        request.headers().set_content_length(0);
        return request;
    };
    return Send(baseUrl, make, reply, cancel, failure);
}

int32_t PostMultipartRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                             const nsWtt::ParamMap& params, utility::string_t& reply,
                             const pplx::cancellation_token& cancel, RequestFailure* failure)
{
    MultipartFormBuilder builder;
    for (const auto& [name, value] : params) {
        if (name == kFileParameter)
            builder.AddFilePart(CodePage936::FromUtf8(name), CodePage936::FromUtf8(value));
        else
            builder.AddTextPart(CodePage936::FromUtf8(name), CodePage936::FromUtf8(value));
    }
    if (!builder.Build())
        return Fail(failure, {TaskError::Kind::Local, kUnreadableFile});
    const std::string& body = builder.Body();
    web::uri address;
    try {
        address = web::uri(path);
    } catch (const std::exception& error) {
        return Fail(failure, {TaskError::Kind::Local, RestClient::ErrorText(error)});
    }
    const auto make = [&] {
        web::http::http_request request(web::http::methods::POST);
        request.set_request_uri(address);
        // A stream over the builder's body, which outlives the exchange: the file is in memory once.
        concurrency::streams::rawptr_buffer<uint8_t> buffer(reinterpret_cast<const uint8_t*>(body.data()), body.size());
        request.set_body(buffer.create_istream(), body.size(), builder.ContentType());
        return request;
    };
    return Send(baseUrl, make, reply, cancel, failure);
}

} // namespace WttHttp
