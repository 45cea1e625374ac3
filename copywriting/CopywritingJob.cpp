#include "copywriting/CopywritingJob.h"

#include "copywriting/CopywritingErrors.h"
#include "copywriting/CopywritingFileName.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/TransLog.h"

#include <QString>

CopywritingJob::CopywritingJob(utility::string_t topic, utility::string_t outputFolder)
    : m_chat(LoadCopywritingSettings().URL, CopywritingErrors::ChatWording()),
      m_apiKey(LoadCopywritingSettings().APIKey),
      m_secretKey(LoadCopywritingSettings().SecretKey),
      m_topic(std::move(topic)),
      m_outputFolder(std::move(outputFolder))
{
}

bool CopywritingJob::FetchToken(const pplx::cancellation_token& cancel)
{
    return GetAccessToken(m_apiKey, m_secretKey, m_accessToken, m_failure, cancel);
}

bool CopywritingJob::Request(const pplx::cancellation_token& cancel)
{
    bool answered = m_chat.Ask(m_accessToken, m_topic, cancel);
    // A kept token the service no longer takes is asked for again, once.
    if (!answered && m_chat.TokenRefused()) {
        if (!RenewAccessToken(m_apiKey, m_secretKey, m_accessToken, m_failure, cancel))
            return false;
        answered = m_chat.Ask(m_accessToken, m_topic, cancel);
    }
    if (!answered) {
        m_failure = m_chat.Failure();
        return false;
    }
    SaveResult();
    return true;
}

void CopywritingJob::SaveResult()
{
    // A file that cannot be written still leaves the text in the window and the record in the log.
    const QString path = CopywritingFileName::Write(QString::fromStdString(m_outputFolder),
                                                    QByteArray::fromStdString(ResultText()));
    m_outputPath = path.toStdString();
    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
}
