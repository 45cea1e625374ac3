#pragma once

#include "host/CQOVBaseDlg.h"

#include <QSize>

class CI3Button;
class CItemListWnd;
class QDateEdit;
class QLabel;
class TransLog;

// The shared, modeless history dialog: the tasks of one tool's log between two dates, handed back
// to that tool through the list's add icon. Closing hides it; the module destroys it on release.
class CItemHistoryDlg : public CQOVBaseDlg
{
public:
    static constexpr int kTemplateId = 1007;
    static constexpr int kListId = 1001;
    static constexpr int kStartPickerId = 1002;
    static constexpr int kEndPickerId = 1003;
    static constexpr int kRefreshId = 1004;
    static constexpr int kCloseId = 2;
    static constexpr QSize kMinTrackSize{496, 364};

    using CQOVBaseDlg::CQOVBaseDlg;

    // Builds the children from the dialog's template, modeless; false for an unknown template.
    bool Create(int templateId, QWidget* parent);

    // Which tool's log ShowTool shows (a row's history number; others keep the current log).
    void SetToolType(int tool) { m_toolType = tool; }
    int GetToolType() const { return m_toolType; }
    // The tool window the list hands entries to, and the list's row height.
    void SetOwnerWnd(QWidget* tool);
    void SetRowHeight(int height);

    // Takes the tool's log, puts its range into the pickers and lists its records.
    void ShowTool();
    // The refresh button: the pickers' days become the log's range (whole days), and the log is
    // read again and listed.
    void Refresh();

    // Shows log whatever the tool number, for a caller that keeps its own log.
    void SetTransLog(TransLog* log) { m_log = log; }
    TransLog* GetTransLog() const { return m_log; }

    CItemListWnd* GetListWnd() const { return m_list; }
    QDateEdit* GetStartPicker() const { return m_start; }
    QDateEdit* GetEndPicker() const { return m_end; }

protected:
    void OnSize(int type, int cx, int cy) override;

private:
    void FillList();

    TransLog* m_log = nullptr; // one of the module's logs, never owned
    CItemListWnd* m_list = nullptr;
    CI3Button* m_close = nullptr;
    CI3Button* m_refresh = nullptr;
    QDateEdit* m_start = nullptr;
    QDateEdit* m_end = nullptr;
    QLabel* m_startLabel = nullptr;
    QLabel* m_endLabel = nullptr;
    int m_toolType = -1;
};

// The module's one history dialog, made (modeless, centred, without parent) on first request.
CItemHistoryDlg* GetHistoryDlg();
