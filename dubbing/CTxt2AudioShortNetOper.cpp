#include "dubbing/CTxt2AudioShortNetOper.h"

#include "dubbing/DubbingErrors.h"
#include "dubbing/SpeechVoice.h"
#include "host/QOVSystem.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RequestFailure.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/ResultFile.h"
#include "service/TransLog.h"

#include <QString>

#include <cpprest/http_client.h>
#include <cpprest/json.h>

#include <cstdio>
#include <exception>

namespace {

// The reason inside an error reply ({"err_no":…,"err_msg":"…"}), if the bytes are one.
utility::string_t ReplyReason(const QByteArray& bytes)
{
    try {
        const web::json::value reply = web::json::value::parse(bytes.toStdString());
        utility::string_t reason;
        if (ReadJsonString(reply, "err_msg", reason))
            return reason;
    } catch (const std::exception&) {
    }
    return utility::string_t();
}

// Errors come as JSON (sometimes as a text or a page); audio comes as audio or as plain bytes.
bool IsAudioType(const utility::string_t& contentType)
{
    return contentType.rfind("application/json", 0) != 0 && contentType.rfind("text/", 0) != 0;
}

} // namespace

CTxt2AudioShortNetOper::CTxt2AudioShortNetOper()
    : m_url(LoadTxt2AudioSettings().URLS),
      m_apiKey(LoadTxt2AudioSettings().APIKey),
      m_secretKey(LoadTxt2AudioSettings().SecretKey),
      m_cuid(LoadTxt2AudioSettings().Cuid)
{
}

utility::string_t CTxt2AudioShortNetOper::FormBody(const utility::string_t& text, int32_t speed, int32_t pitch,
                                                   int32_t volume, int32_t voice, int32_t aue) const
{
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "&ctp=1&spd=%d&pit=%d&vol=%d&per=%d&aue=%d", speed, pitch, volume,
                  SpeechVoice(voice), aue);
    return "tex=" + web::uri::encode_data_string(text) + "&lan=zh&cuid=" + web::uri::encode_data_string(m_cuid) +
           numbers + "&tok=" + web::uri::encode_data_string(m_accessToken);
}

bool CTxt2AudioShortNetOper::Synthesize(const utility::string_t& text, utility::string_t& errorText,
                                        const utility::string_t& outputPath, int32_t speed, int32_t pitch,
                                        int32_t volume, int32_t voice, int32_t aue,
                                        const pplx::cancellation_token& cancel)
{
    m_outputPath.clear();
    RequestFailure failure{TaskError::Kind::None, errorText};
    const bool token = GetAccessToken(m_apiKey, m_secretKey, m_accessToken, failure, cancel);
    errorText = failure.text;
    m_failureKind = failure.kind;
    if (!token)
        return false;
    const utility::string_t body = FormBody(text, speed, pitch, volume, voice, aue);
    QOVDebugOutput(QString::fromStdString(body));

    const auto fail = [&](TaskError::Kind kind, utility::string_t why) {
        errorText = std::move(why);
        m_failureKind = kind;
        return false;
    };
    const QString path = QString::fromStdString(outputPath);
    std::string reply;
    utility::string_t contentType;
    try {
        web::http::client::http_client client = RestClient::Make(m_url);
        RestExchange exchange(
            client,
            [&body] {
                web::http::http_request request(web::http::methods::POST);
                request.set_body(body, "text/plain; charset=utf-8");
                return request;
            },
            cancel);
        // An error page can be long enough to pass for audio: it is no audio whatever its length.
        if (exchange.Status() != web::http::status_codes::OK)
            return fail(TaskError::Kind::Status,
                        RestClient::FormatNumber(DubbingErrors::kStatusFormat, int(exchange.Status())));
        contentType = exchange.Headers().content_type();
        reply = exchange.ReadBody(kMaximumAudioBytes);
    } catch (const std::exception& e) {
        QOVDebugOutput(QStringLiteral("short speech synthesis: ") + QString::fromUtf8(e.what()));
        const RequestFailure failure = RequestFailure::Of(e);
        return fail(failure.kind, failure.text);
    }

    if (!ReadReply(contentType, reply, errorText))
        return fail(TaskError::Kind::Reply, errorText);
    QString written = path;
    QString error;
    if (!ResultFile::Write(written, QByteArray(reply.data(), qsizetype(reply.size())), false, &error))
        return fail(TaskError::Kind::Local, error.toStdString());
    m_outputPath = written.toStdString();
    if (m_logged)
        GetDubbingLog().AddFinishedTask(QString::fromStdString(text), written);
    return true;
}

bool CTxt2AudioShortNetOper::ReadReply(const utility::string_t& contentType, const std::string& reply,
                                       utility::string_t& errorText)
{
    if (reply.size() > size_t(kMinimumAudioBytes) && IsAudioType(contentType))
        return true;
    // The reply is an error message, not audio: say why instead of leaving a broken audio file.
    const utility::string_t reason = ReplyReason(QByteArray::fromStdString(reply));
    errorText = reason.empty() ? DubbingErrors::kShortNoAudio
                               : RestClient::FormatText(DubbingErrors::kShortFailed, reason);
    return false;
}
