#include "history/HistoryOpener.h"

#include "history/CItemHistoryDlg.h"
#include "history/HistoryTools.h"
#include "service/TransLog.h"

HistoryOpener::HistoryOpener(int tool, int rowHeight)
    : m_tool(tool)
    , m_rowHeight(rowHeight)
{
}

void HistoryOpener::Open(QWidget* owner)
{
    if (!m_loaded) {
        if (TransLog* log = HistoryTool::LogOf(m_tool))
            log->LoadLogs();
        m_loaded = true;
    }
    CItemHistoryDlg* dialog = GetHistoryDlg();
    if (!dialog)
        return;
    dialog->SetToolType(m_tool);
    dialog->SetOwnerWnd(owner);
    dialog->SetRowHeight(m_rowHeight);
    dialog->ShowTool();
    dialog->show();
    dialog->raise();
}
