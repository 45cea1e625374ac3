#include "copywriting/CopywritingFileName.h"

#include "host/QOVPaths.h"
#include "service/LocalTime.h"
#include "service/ResultFile.h"

#include <QFile>

namespace CopywritingFileName {

QString Create(const QString& folder, QFile& file)
{
    const QString wanted = folder + LocalTimeText("%Y_%m_%d_%H_%M_%S") + QStringLiteral(".txt");
    ZuCreateDirectory(folder, 0);
    if (ResultFile::Create(wanted, file))
        return file.fileName();
    return wanted;
}

} // namespace CopywritingFileName
