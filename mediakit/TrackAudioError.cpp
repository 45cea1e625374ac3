#include "mediakit/TrackAudioError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace TrackAudioError {

bool Note(QString& error, const QString& what, int result)
{
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, reason, sizeof reason);
    error = QStringLiteral("could not %1: %2").arg(what, QString::fromUtf8(reason));
    return false;
}

} // namespace TrackAudioError
