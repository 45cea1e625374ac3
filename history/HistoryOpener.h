#pragma once

#include "service/ToolTable.h"

class QWidget;

// What a tool window's history button does: the module's one history dialog shows the tool's
// records, with the tool's row height, and hands entries back to the window. The tool's log is read
// from its files on the first opening only; the dialog's refresh reads it again after that.
class HistoryOpener
{
public:
    HistoryOpener(ToolId tool, int rowHeight);

    void Open(QWidget* owner);

private:
    ToolId m_tool;
    int m_rowHeight;
    bool m_loaded = false;
};
