#pragma once

#include "history/TaskItemData.h"

#include <QString>

#include <memory>

struct TransLogItem;
class ThumbnailCache;

// Turns a task-log record into a history entry: the result file's name and text preview for the
// text tools, the result images' thumbnails for painting.
class TaskItemBuilder
{
public:
    static std::unique_ptr<TaskItemData> Build(const TransLogItem& record, int tool, ThumbnailCache& thumbnails);

    // The text a result file shows in the list: for a subtitle file the first text line of every
    // block, otherwise every non-empty line, all trimmed and joined without separator. Empty when
    // the file cannot be read.
    static QString TextPreview(const QString& path);
};
