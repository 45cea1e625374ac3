#include "apps/cli/OutputPath.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace OutputPath {

bool IsInput(const QString& output, const QString& input)
{
    // Before the input exists, or where the output does not yet, only the names can say it.
    if (QFileInfo(output).absoluteFilePath() == QFileInfo(input).absoluteFilePath())
        return true;
    std::error_code error;
    const bool same = std::filesystem::equivalent(QFile::encodeName(output).constData(),
                                                  QFile::encodeName(input).constData(), error);
    return same && !error;
}

} // namespace OutputPath
