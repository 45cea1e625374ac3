#include "translation/TranslationLog.h"

#include "service/ToolTable.h"
#include "service/TransLog.h"

#include <QFileInfo>
#include <QUuid>

namespace TranslationLog {

void Finished(const QString& source, const QString& result)
{
    GetToolLog(ToolId::Translation)
        .AddFinishedTask(QFileInfo(source).absoluteFilePath(), QFileInfo(result).absoluteFilePath());
}

void Failed(const QString& source)
{
    TransLog& log = GetToolLog(ToolId::Translation);
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    log.AddTask(QFileInfo(source).absoluteFilePath(), id);
    log.UpdateTask(id, -1);
}

} // namespace TranslationLog
