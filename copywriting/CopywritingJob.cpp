#include "copywriting/CopywritingJob.h"

#include "copywriting/CopywritingErrors.h"
#include "copywriting/CopywritingFileName.h"
#include "service/AigcSettings.h"
#include "service/TransLog.h"

#include <QString>

CopywritingJob::CopywritingJob(utility::string_t topic, utility::string_t outputFolder)
    : TokenClient(LoadCopywritingSettings().URL, LoadCopywritingSettings().APIKey,
                  LoadCopywritingSettings().SecretKey),
      m_chat(m_url, CopywritingErrors::ChatWording()),
      m_topic(std::move(topic)),
      m_outputFolder(std::move(outputFolder))
{
}

bool CopywritingJob::Request(const pplx::cancellation_token& cancel)
{
    const auto ask = [&] {
        if (m_chat.Ask(m_accessToken, m_topic, cancel))
            return true;
        SetError(m_chat.Failure());
        return false;
    };
    if (!WithToken(ask, cancel))
        return false;
    // A file that cannot be written still leaves the text in the window and the record in the log.
    const QString path = CopywritingFileName::Write(QString::fromStdString(m_outputFolder),
                                                    QByteArray::fromStdString(ResultText()));
    m_outputPath = path.toStdString();
    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
    return true;
}
