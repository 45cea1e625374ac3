#pragma once

#include <QTabBar>

// The editor's tab strip. User selection changes are reported with the child identifier;
// SetCurSel and inserting the first tab stay silent, as on the original platform.
class CZuTabCtrl : public QTabBar
{
    Q_OBJECT

public:
    explicit CZuTabCtrl(QWidget* parent = nullptr, int id = 0);

    bool Create(QWidget* parent, const QRect& rect, int id);
    int GetDlgCtrlID() const;

    // index -1 (or past the end) appends; returns the index the tab landed at.
    int InsertItem(int index, const QString& text);
    void SetCurSel(int index);
    int GetCurSel() const;
    int GetItemCount() const;
    void DeleteAllItems();

signals:
    void selectionChanged(int id);

private:
    int m_id = 0;
    bool m_quiet = false;
};
