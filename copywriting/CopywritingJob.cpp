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
    RequestFailure renewal;
    if (!AttemptWithToken(
            m_apiKey, m_secretKey, m_accessToken, [&] { return m_chat.Ask(m_accessToken, m_topic, cancel); },
            [this] { return m_chat.TokenRefused(); }, renewal, cancel)) {
        m_failure = renewal ? renewal : m_chat.Failure();
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
