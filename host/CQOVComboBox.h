#pragma once

#include "host/ChildControl.h"

#include <QComboBox>

// The editor's drop-down list. Selection changes made by the user are reported with the child
// identifier; changes made through SetCurSel are not, as on the original platform.
class CQOVComboBox : public ChildControl<QComboBox>
{
    Q_OBJECT

public:
    explicit CQOVComboBox(QWidget* parent = nullptr, int id = 0);

    // index -1 appends; returns the index the string landed at.
    int InsertString(int index, const QString& text);
    void SetCurSel(int index);
    int GetCurSel() const { return currentIndex(); }
    int GetCount() const { return count(); }
    // False (and out untouched) when index is out of range.
    bool GetLBText(int index, QString& out) const;
    void ResetContent() { clear(); }

signals:
    void selectionChanged(int id);

private:
};
