#pragma once

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <cstdint>

// One generation: the token, the chat request, the text's file and its log record. Everything a
// run needs is copied in and everything it finds is kept here, so a run shares nothing with the
// window or client that started it.
class CopywritingJob
{
public:
    // Result codes, the client's own.
    enum Result : int32_t { Success = 1, NoToken = -1, RequestFailed = -2 };

    // The settings read now, and what to generate into where.
    CopywritingJob(utility::string_t topic, utility::string_t outputFolder);

    // Exchanges the credentials for an access token; false with the error text set when none came.
    bool FetchToken(const pplx::cancellation_token& cancel);
    // Sends the chat request; Success with the text saved and logged, or RequestFailed.
    int32_t Request(const pplx::cancellation_token& cancel);
    // What a reply that arrived with status 200 means, without the network. A member of the wrong
    // type throws web::json::json_exception.
    int32_t ReadReply(const web::json::value& reply);

    const utility::string_t& Topic() const { return m_topic; }
    const utility::string_t& ErrorText() const { return m_errorText; }
    const utility::string_t& ResultText() const { return m_resultText; }
    const utility::string_t& OutputPath() const { return m_outputPath; }
    void SetErrorText(const utility::string_t& text) { m_errorText = text; }

private:
    void SaveResult();

    utility::string_t m_url;
    utility::string_t m_apiKey;
    utility::string_t m_secretKey;
    utility::string_t m_accessToken;
    utility::string_t m_topic;
    utility::string_t m_outputFolder;
    utility::string_t m_errorText;
    utility::string_t m_resultText;
    utility::string_t m_outputPath;
};
