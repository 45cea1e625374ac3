#pragma once

#include "SpeechTaskQueue.h"

#include <cpprest/json.h>
#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <string>

class EndpointRouter;
class TokenRegistry;

// Long-text synthesis as a task: POST /tts/v1/create queues a text, POST /tts/v1/query reports
// the tasks (each runs for at least a second) and, once spoken, a download link, which
// GET /files/tts/<id>.<ext> serves. Every JSON answer is HTTP 200 with any failure in the body.
class LongSpeechService {
public:
    static constexpr const char *kCreateEndpoint = "tts-create";
    static constexpr const char *kQueryEndpoint = "tts-query";
    static constexpr const char *kFileEndpoint = "tts-file";
    static constexpr const char *kCreatePath = "/tts/v1/create";
    static constexpr const char *kQueryPath = "/tts/v1/query";
    static constexpr const char *kFilePrefix = "/files/tts/";

    static constexpr int kInvalidToken = 110;
    static constexpr const char *kInvalidTokenMessage = "Access token invalid or no longer valid";
    static constexpr int kUnknownTask = 336201;
    static constexpr const char *kUnknownTaskMessage = "unknown task id";
    static constexpr int kSynthesisFailed = 336205;
    static constexpr const char *kSynthesisFailedMessage = "speech synthesis failed";

    explicit LongSpeechService(TokenRegistry &tokens);
    void Register(EndpointRouter &router);
    // Abandons synthesis in progress and joins the worker; call once the HTTP server has stopped.
    void Stop();

private:
    void HandleCreate(const httplib::Request &req, httplib::Response &res);
    void HandleQuery(const httplib::Request &req, httplib::Response &res);
    void HandleFile(const httplib::Request &req, httplib::Response &res) const;
    bool CheckToken(const httplib::Request &req, httplib::Response &res);
    void SendFailure(httplib::Response &res, int code, const std::string &message);
    web::json::value TaskInfo(const std::string &id, const std::string &origin) const;
    std::int64_t NextLogId();

    TokenRegistry &tokens_;
    SpeechTaskQueue tasks_;
    std::atomic<std::int64_t> nextLogId_;
};
