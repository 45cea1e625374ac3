#pragma once

#include "FormEncoding.h"
#include "TranscriptionError.h"
#include "TranscriptionTaskStore.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

class EndpointRouter;
class RecognitionQueue;
class SpeechRecognizer;

// The long-audio file-transcription service under /api: prepare announces a file and gets a task
// id, upload sends its slices as multipart bodies, merge joins them and starts recognition,
// getProgress follows the task and getResult fetches the sentences. Every request is signed with
// the account's key. Answers are HTTP 200 with {"ok", "err_no", "failed", "data"}.
class TranscriptionService {
public:
    static constexpr const char *kPrepareEndpoint = "transcription-prepare";
    static constexpr const char *kUploadEndpoint = "transcription-upload";
    static constexpr const char *kMergeEndpoint = "transcription-merge";
    static constexpr const char *kProgressEndpoint = "transcription-progress";
    static constexpr const char *kResultEndpoint = "transcription-result";
    static constexpr const char *kPrefix = "/api";

    // How far a request's time may be from the service's clock.
    static constexpr std::int64_t kMaxClockSkewSeconds = 300;
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{500} << 20;
    static constexpr int kMaxSlices = 1000;
    static constexpr std::size_t kSliceIdLength = 10;
    // An upload body is its slice plus a few small parts.
    static constexpr std::uint64_t kMaxUploadBytes = kMaxFileBytes + (1u << 20);

    struct Account {
        std::string appId;
        std::string key;
    };

    TranscriptionService(Account account, RecognitionQueue &queue, std::filesystem::path folder,
                         std::chrono::milliseconds step);
    void Register(EndpointRouter &router);

private:
    using Fields = FormEncoding::Fields;

    void HandlePrepare(const httplib::Request &req, httplib::Response &res);
    void HandleUpload(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader);
    void HandleMerge(const httplib::Request &req, httplib::Response &res);
    void HandleProgress(const httplib::Request &req, httplib::Response &res) const;
    void HandleResult(const httplib::Request &req, httplib::Response &res) const;
    // Why the request may not be served: an unknown application, a signature that does not
    // match, a time too far off, a missing parameter. No error when it may.
    TranscriptionError CheckCaller(const Fields &fields) const;
    // The parameters of an upload's text parts and its file, or why there are none.
    TranscriptionError ReadUpload(const httplib::Request &req, std::string_view body, Fields &fields,
                                  std::string_view &file) const;
    void Recognize(const std::string &id, const std::filesystem::path &audio, SpeechRecognizer::Language language,
                   SpeechRecognizer &recognizer, const std::atomic<bool> &stopping);

    Account account_;
    RecognitionQueue &queue_;
    std::filesystem::path folder_;
    TranscriptionTaskStore tasks_;
};
