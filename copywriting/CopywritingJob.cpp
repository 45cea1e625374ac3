#include "copywriting/CopywritingJob.h"

#include "copywriting/CopywritingErrors.h"
#include "host/QOVPaths.h"
#include "service/AigcSettings.h"
#include "service/LocalTime.h"
#include "service/ResultFile.h"
#include "service/TransLog.h"

#include <QString>

CopywritingJob::CopywritingJob(utility::string_t topic, utility::string_t outputFolder)
    : ChatSession(LoadCopywritingSettings().URL, LoadCopywritingSettings().APIKey,
                  LoadCopywritingSettings().SecretKey, CopywritingErrors::ChatWording()),
      m_topic(std::move(topic)),
      m_outputFolder(std::move(outputFolder))
{
}

bool CopywritingJob::Request(const pplx::cancellation_token& cancel)
{
    if (!Ask(m_topic, cancel))
        return false;
    // The file is named by the local time, numbered when that second's name is taken. One that
    // cannot be written still leaves the text in the window, and the record in the log under the
    // name it would have had.
    const QString folder = QString::fromStdString(m_outputFolder);
    QString path = folder + LocalTimeText("%Y_%m_%d_%H_%M_%S") + QStringLiteral(".txt");
    ZuCreateDirectory(folder, 0);
    ResultFile::Write(path, QByteArray::fromStdString(ResultText()));
    m_outputPath = path.toStdString();
    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
    return true;
}
