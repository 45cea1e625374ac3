#include "subtitles/SubtitlesSource.h"

#include "host/QOVFileName.h"

namespace SubtitlesSource {

namespace {

// Each extension in upper case followed by "|": "TS|" is matched whole, so ".ts" is a video while
// ".mts" and ".s" are not.
const QString kVideoExtensions = QStringLiteral("MPEG|AVI|MOV|MPG|FLC|WMV|MP4|FLV|FLI|ASF|3GP|MXF|MKV|TS|RMVB|");

} // namespace

bool IsVideo(const QString& path)
{
    const QString extension = ZuGetFileExt(path);
    if (extension.isEmpty())
        return false;
    const QString entry = extension.toUpper() + QLatin1Char('|');
    for (qsizetype at = kVideoExtensions.indexOf(entry); at >= 0; at = kVideoExtensions.indexOf(entry, at + 1)) {
        if (at == 0 || kVideoExtensions[at - 1] == QLatin1Char('|'))
            return true;
    }
    return false;
}

int32_t ModelForChoice(int index)
{
    return index == 0 ? kFastMandarinModel : index == 1 ? kSubtitleMandarinModel : kEnglishModel;
}

QUuid ObjectIdFromText(const QString& text)
{
    // QUuid reads the braced form and the bare one alike; anything else is the null identifier.
    return QUuid::fromString(text.trimmed());
}

} // namespace SubtitlesSource
