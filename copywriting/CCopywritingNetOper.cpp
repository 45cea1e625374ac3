#include "copywriting/CCopywritingNetOper.h"

#include "service/TransLog.h"

CCopywritingNetOper::~CCopywritingNetOper()
{
    m_closing = true;
    m_run.StopAndWait();
}

void CCopywritingNetOper::SetCompletionHandler(CompletionHandler handler)
{
    m_handler = handler;
}

utility::string_t CCopywritingNetOper::GetErrorText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errorText;
}

utility::string_t CCopywritingNetOper::ResultText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_resultText;
}

utility::string_t CCopywritingNetOper::OutputPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outputPath;
}

void CCopywritingNetOper::Publish(const CopywritingJob& job)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_errorText = job.ErrorText();
    m_resultText = job.ResultText();
    m_outputPath = job.OutputPath();
}

int CCopywritingNetOper::Start(const utility::string_t& topic, const utility::string_t& outputFolder, void* context,
                               int /*unused*/)
{
    m_run.StopAndWait();
    // The log is made here, on the owner's thread, rather than by the first worker that records.
    GetCopywritingLog();
    auto job = std::make_shared<CopywritingJob>(topic, outputFolder);
    job->SetErrorText(GetErrorText());
    if (!job->FetchToken(pplx::cancellation_token::none())) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errorText = job->ErrorText();
        return NoToken;
    }
    const CompletionHandler handler = m_handler;
    m_run.Start([this, job, handler, context](TaskControl& control) {
        const int32_t code = job->Request(control.Token());
        if (m_closing)
            return;
        Publish(*job);
        if (handler)
            handler(context, code);
    });
    return Success;
}

int32_t CCopywritingNetOper::ReadReply(const web::json::value& reply)
{
    CopywritingJob job({}, {});
    job.SetErrorText(GetErrorText());
    const int32_t code = job.ReadReply(reply);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_errorText = job.ErrorText();
    m_resultText = job.ResultText();
    return code;
}
