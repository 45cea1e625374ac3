#include "dubbing/TrackFile.h"

#include "service/ResultFile.h"

#include <QFile>

namespace TrackFile {

TaskEnd Failure(const QString& text)
{
    return TaskEnd::Failure(TaskError::Kind::Local, -1, text);
}

std::optional<TaskEnd> Settle(const QString& scratch, const ServiceTask::Worker& worker, QString& path)
{
    QFile encoded(scratch);
    if (!encoded.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("could not read the track back from %1: %2").arg(scratch, encoded.errorString()));
    if (worker.Stopping())
        return TaskEnd::Stop();
    QString error;
    const bool written = ResultFile::WriteFrom(path, encoded, false, &error);
    encoded.close();
    QFile::remove(scratch);
    if (!written)
        return Failure(error);
    return std::nullopt;
}

} // namespace TrackFile
