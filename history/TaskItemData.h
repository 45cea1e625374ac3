#pragma once

#include <QList>
#include <QString>

class CZuBuffer;

// One entry of the history list, with its own copies of the record's texts: a client's worker may
// append records to the log while the list shows them.
struct TaskItemData
{
    QString TaskID;
    QString SrcInfo;
    QString Files;
    QString FileLine; // "文件：" and the result's file name; empty for painting
    QString TextLine; // "文本内容：" and the result's text preview, when it has one
    QList<CZuBuffer*> Thumbnails; // painting only; the thumbnail cache owns them
};
