#pragma once

#include "history/TaskItemData.h"

#include <QString>

#include <memory>

struct TransLogItem;
class ThumbnailCache;

// Turns a task-log record into a history entry, with what the tool's row previews of its results:
// the result file's name, with or without the start of its text, or the result images' thumbnails.
class TaskItemBuilder
{
public:
    // tool: a row's history number, as the dialog has it.
    static std::unique_ptr<TaskItemData> Build(const TransLogItem& record, int tool, ThumbnailCache& thumbnails);

    // The text a result file shows in the list: for a subtitle file the first text line of every
    // block, otherwise every non-empty line, all trimmed and joined without separator. Empty when
    // the file cannot be read.
    static QString TextPreview(const QString& path);
};
