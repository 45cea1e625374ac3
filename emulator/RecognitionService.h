#pragma once

#include "RecognitionTaskStore.h"

#include <cpprest/json.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class EndpointRouter;
class ObjectStore;
class RecognitionQueue;
class TokenRegistry;

// Recognition of a recording in the emulator's object store as a task: POST /aasr/v1/create names
// the recording's address "https://BUCKET.ENDPOINT/KEY" and the model, POST /aasr/v1/query
// reports the tasks, running for a while and then succeeded with the sentences and their times
// (and their words' times when asked), or failed with a message. Every answer is HTTP 200 with any failure in the body.
class RecognitionService {
public:
    static constexpr const char *kCreateEndpoint = "aasr-create";
    static constexpr const char *kQueryEndpoint = "aasr-query";
    static constexpr const char *kCreatePath = "/aasr/v1/create";
    static constexpr const char *kQueryPath = "/aasr/v1/query";

    static constexpr int kInvalidToken = 110;
    static constexpr const char *kInvalidTokenMessage = "Access token invalid or no longer valid";
    static constexpr int kTaskNotFound = 336004;
    static constexpr const char *kTaskNotFoundMessage = "no task has any of these ids";
    static constexpr std::size_t kMaxQueryIds = 200;

    // Why a task failed, in its result.
    static constexpr int kFetchFailed = 336101;
    static constexpr int kUndecodable = 336102;
    static constexpr int kEmptyAudio = 336103;
    static constexpr int kTooLong = 336104;
    static constexpr int kRecognizerUnavailable = 336105;

    RecognitionService(TokenRegistry &tokens, ObjectStore &store, RecognitionQueue &queue, std::string bucket,
                       std::chrono::milliseconds minRunning);
    void Register(EndpointRouter &router);

private:
    // What the create request asked of the recording and of the reply.
    struct Asked {
        bool raw = false;
        int rate = 0;
        bool wordTimes = false;
    };

    void HandleCreate(const httplib::Request &req, httplib::Response &res);
    void HandleQuery(const httplib::Request &req, httplib::Response &res) const;
    bool CheckToken(const httplib::Request &req, httplib::Response &res) const;
    void SendFailure(httplib::Response &res, int code, const std::string &message,
                     const std::vector<std::string> &info) const;
    // The key of the stored object a speech address names, or an empty text when it names none
    // of this store's objects (another bucket, another host or port).
    std::string KeyOf(const httplib::Request &req, const std::string &url) const;
    void Recognize(const std::string &id, const std::string &url, const std::string &key, const Asked &asked,
                   SpeechRecognizer &recognizer, const std::atomic<bool> &stopping);
    web::json::value TaskInfo(const std::string &id, const RecognitionTaskStore::View &task) const;
    std::int64_t NextLogId() const;

    TokenRegistry &tokens_;
    ObjectStore &store_;
    RecognitionQueue &queue_;
    std::string bucket_;
    RecognitionTaskStore tasks_;
    mutable std::atomic<std::int64_t> nextLogId_;
};
