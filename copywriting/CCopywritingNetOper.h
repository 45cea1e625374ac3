#pragma once

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

// Turns one topic into generated text through the chat service: the text is saved as a new file in
// the output folder and recorded in the copywriting task log. Each request runs on a worker of its
// own, which reports through the completion handler (on the worker thread).
class CCopywritingNetOper
{
public:
    // Result codes of Start and of the completion handler.
    enum Result : int32_t { Success = 1, NoToken = -1, RequestFailed = -2 };

    using CompletionHandler = void (*)(void* context, int32_t code);

    CCopywritingNetOper();
    // Cancels a running request and waits for its worker; the handler is not called once
    // destruction has begun.
    ~CCopywritingNetOper();
    CCopywritingNetOper(const CCopywritingNetOper&) = delete;
    CCopywritingNetOper& operator=(const CCopywritingNetOper&) = delete;

    // The handler that later requests report to.
    void SetCompletionHandler(CompletionHandler handler);

    // Gets an access token on the calling thread, then starts the request on a worker. Returns 1
    // when started, -1 when no token was obtained (GetErrorText says why; no handler call).
    int Start(const utility::string_t& topic, const utility::string_t& outputFolder, void* context, int unused = 0);

    // Copies taken under the lock the worker writes them under: the completion is usually passed on
    // through the owner's event queue, which orders nothing by itself.
    utility::string_t GetErrorText() const;
    utility::string_t ResultText() const;
    utility::string_t OutputPath() const;

    // What a request makes of a reply that arrived with status 200, without the network: Success
    // with the result text kept, or RequestFailed with the error text set. A member of the wrong
    // type throws web::json::json_exception.
    int32_t ReadReply(const web::json::value& reply);

private:
    void Work();
    int32_t Request();
    void SaveResult();
    void SetError(const utility::string_t& text);

    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_topic;
    utility::string_t m_outputFolder;
    mutable std::mutex m_mutex; // the three texts below: the worker writes what the owner reads
    utility::string_t m_errorText;
    utility::string_t m_resultText;
    utility::string_t m_outputPath;
    std::thread m_worker;
    CompletionHandler m_handler = nullptr;
    CompletionHandler m_activeHandler = nullptr;
    void* m_context = nullptr;
    pplx::cancellation_token_source m_cancel;
    std::atomic<bool> m_closing{false};
};
