#include "ShortSpeechService.h"

#include "AudioEncoder.h"
#include "EndpointRouter.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "RandomText.h"
#include "ShortSpeechRequest.h"
#include "SpeechSynthesizer.h"
#include "TokenRegistry.h"

namespace {

// The engine failing is the emulator's own fault, reported in the same small shape.
constexpr int kSynthesisFailed = 504;
constexpr const char *kSynthesisFailedMessage = "synthesis failed";

// Every error body stays far below the 200 bytes clients use to tell errors from audio.
void SendFailure(httplib::Response &res, int code, const char *message, bool withSerial)
{
    auto body = web::json::value::object();
    body["err_no"] = web::json::value::number(code);
    body["err_msg"] = web::json::value::string(message);
    if (withSerial) {
        body["sn"] = web::json::value::string(RandomText::Hex(24));
        body["idx"] = web::json::value::number(1);
    }
    JsonReply::Send(res, 200, body);
}

web::json::value WrongTypesReply()
{
    auto body = web::json::value::object();
    body["err_no"] = web::json::value::string("502");
    body["err_msg"] = web::json::value::number(0);
    body["sn"] = web::json::value::array();
    body["idx"] = web::json::value::string("first");
    return body;
}

}  // namespace

ShortSpeechService::ShortSpeechService(TokenRegistry &tokens) : tokens_(tokens) {}

void ShortSpeechService::Register(EndpointRouter &router)
{
    router.AddEndpoint(
        kEndpoint, "POST", kPath, [this](const httplib::Request &req, httplib::Response &res) { Handle(req, res); },
        WrongTypesReply().serialize());
}

void ShortSpeechService::Handle(const httplib::Request &req, httplib::Response &res) const
{
    const ShortSpeechRequest request(FormEncoding::QueryOf(req.target), req.body);
    if (!tokens_.IsValid(request.Token())) {
        SendFailure(res, kInvalidToken, kInvalidTokenMessage, true);
        return;
    }
    if (request.ErrorCode() != 0) {
        SendFailure(res, request.ErrorCode(), request.ErrorMessage(), false);
        return;
    }
    std::string audio;
    try {
        const auto pcm = SpeechSynthesizer::Speak(request.Text(), request.Settings());
        audio = AudioEncoder::Encode(*pcm, request.Format());
    } catch (const std::exception &) {
        SendFailure(res, kSynthesisFailed, kSynthesisFailedMessage, false);
        return;
    }
    res.status = 200;
    res.set_content(audio, ContentTypeOf(request.Format()));
}
