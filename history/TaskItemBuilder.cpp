#include "history/TaskItemBuilder.h"

#include "host/CQOVReadFile.h"
#include "host/QOVFileName.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"
#include "ui/ThumbnailCache.h"

#include <QStringList>

namespace {

const QString kFilePrefix = QStringLiteral("文件：");
const QString kTextPrefix = QStringLiteral("文本内容：");
const QString kSubtitleExtension = QStringLiteral("srt");
const QString kTimeArrow = QStringLiteral("-->");
const QString kFileSeparator = QStringLiteral("|");

bool IsTimeLine(const QString& line)
{
    return line.contains(QLatin1Char(':')) && line.contains(kTimeArrow);
}

} // namespace

std::unique_ptr<TaskItemData> TaskItemBuilder::Build(const TransLogItem& record, int tool, ThumbnailCache& thumbnails)
{
    auto item = std::make_unique<TaskItemData>();
    item->TaskID = record.TaskID;
    item->SrcInfo = record.SrcInfo;
    item->Files = record.Files;
    // A number no tool has shows what a tool with plain result files shows.
    const ToolRow* row = ToolTable::FindByHistoryNumber(tool);
    const HistoryPreview preview = row ? row->historyPreview : HistoryPreview::FileName;
    if (preview != HistoryPreview::Images)
        item->FileLine = kFilePrefix + ZuGetFileName(record.Files);
    if (preview == HistoryPreview::FileNameAndText) {
        const QString preview = TextPreview(record.Files);
        if (!preview.isEmpty())
            item->TextLine = kTextPrefix + preview;
    }
    if (preview == HistoryPreview::Images) {
        QStringList paths;
        SplitString(record.Files, paths, kFileSeparator, 0);
        for (const QString& path : paths) {
            // An image that cannot be loaded is simply left out of the entry.
            if (CZuBuffer* buffer = thumbnails.GetBuffer(path))
                item->Thumbnails.append(buffer);
        }
    }
    return item;
}

QString TaskItemBuilder::TextPreview(const QString& path)
{
    CQOVReadFile file;
    if (path.isEmpty() || !file.Open(path, CQOVReadFile::ModeRead))
        return {};
    const bool subtitles = ZuGetFileExt(path).compare(kSubtitleExtension, Qt::CaseInsensitive) == 0;
    QString preview;
    bool afterTimeLine = false;
    QString line;
    while (file.ReadString(line)) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (!subtitles) {
            preview += line;
        } else if (IsTimeLine(line)) {
            afterTimeLine = true;
        } else if (afterTimeLine) {
            // Only a block's first text line: the rest of the block would crowd the row.
            preview += line;
            afterTimeLine = false;
        }
    }
    return preview;
}
