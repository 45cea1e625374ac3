#pragma once

#include "host/ChildControl.h"

#include <QTabBar>

// The editor's tab strip. User selection changes are reported with the child identifier;
// SetCurSel and inserting the first tab stay silent, as on the original platform.
class CZuTabCtrl : public ChildControl<QTabBar>
{
    Q_OBJECT

public:
    explicit CZuTabCtrl(QWidget* parent = nullptr, int id = 0);

    // index -1 (or past the end) appends; returns the index the tab landed at.
    int InsertItem(int index, const QString& text);
    void SetCurSel(int index);
    int GetCurSel() const { return currentIndex(); }
    int GetItemCount() const { return count(); }
    void DeleteAllItems();

signals:
    void selectionChanged(int id);

private:
    bool m_quiet = false;
};
