#include "subtitles/SubtitleSource.h"

#include "host/QOVFileName.h"

namespace {

// Every extension followed by "|", so that one is found whole.
const char* const kVideoExtensions = "MPEG|AVI|MOV|MPG|FLC|WMV|MP4|FLV|FLI|ASF|3GP|MXF|MKV|TS|RMVB|";

} // namespace

bool IsSubtitleVideoPath(const QString& path)
{
    const QString extension = ZuGetFileExt(path);
    if (extension.isEmpty())
        return false;
    const QString word = extension.toUpper() + QLatin1Char('|');
    const QString list = QLatin1String(kVideoExtensions);
    // Whole words only: "S|" is in "TS|" but is no extension of the list.
    for (qsizetype at = list.indexOf(word); at >= 0; at = list.indexOf(word, at + 1)) {
        if (at == 0 || list[at - 1] == QLatin1Char('|'))
            return true;
    }
    return false;
}
