#include "dubbing/DubbingFileName.h"

#include "service/LocalTime.h"

namespace DubbingFileName {

QString Wanted(const QString& folder, const QString& extension)
{
    return folder + QStringLiteral("Audio") + LocalTimeText("%Y_%m_%d_%H_%M_%S") + QLatin1Char('.') + extension;
}

} // namespace DubbingFileName
