#include "copywriting/CopywritingFileName.h"

#include "host/QOVPaths.h"
#include "service/LocalTime.h"
#include "service/ResultFile.h"

namespace CopywritingFileName {

QString Write(const QString& folder, const QByteArray& text, bool* written)
{
    QString path = folder + LocalTimeText("%Y_%m_%d_%H_%M_%S") + QStringLiteral(".txt");
    ZuCreateDirectory(folder, 0);
    const bool ok = ResultFile::Write(path, text);
    if (written)
        *written = ok;
    return path;
}

} // namespace CopywritingFileName
