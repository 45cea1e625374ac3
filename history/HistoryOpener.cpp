#include "history/HistoryOpener.h"

#include "history/CItemHistoryDlg.h"
#include "service/TransLog.h"

HistoryOpener::HistoryOpener(ToolId tool, int rowHeight)
    : m_tool(tool)
    , m_rowHeight(rowHeight)
{
}

void HistoryOpener::Open(QWidget* owner)
{
    if (!m_loaded) {
        GetToolLog(m_tool).LoadLogs();
        m_loaded = true;
    }
    CItemHistoryDlg* dialog = GetHistoryDlg();
    if (!dialog)
        return;
    dialog->SetToolType(ToolTable::Of(m_tool).historyNumber);
    dialog->SetOwnerWnd(owner);
    dialog->SetRowHeight(m_rowHeight);
    dialog->ShowTool();
    dialog->show();
    dialog->raise();
}
