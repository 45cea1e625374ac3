#pragma once

#include <httplib.h>

class EndpointRouter;
class TokenRegistry;

// POST /text2audio: speaks a short text at once and answers with the audio itself. Like the
// service it stands in for it always answers HTTP 200; a failure is a small JSON body, which is
// how clients tell it from audio.
class ShortSpeechService {
public:
    static constexpr const char *kEndpoint = "tts-short";
    static constexpr const char *kPath = "/text2audio";

    static constexpr int kInvalidToken = 502;
    static constexpr const char *kInvalidTokenMessage = "access token invalid";

    explicit ShortSpeechService(TokenRegistry &tokens);
    void Register(EndpointRouter &router);

private:
    void Handle(const httplib::Request &req, httplib::Response &res) const;

    TokenRegistry &tokens_;
};
