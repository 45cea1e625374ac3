#include "host/CQOVComboBox.h"

#include "host/CQOVDefUiSettings.h"

CQOVComboBox::CQOVComboBox(QWidget* parent, int id)
    : ChildControl(id, parent)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    setFont(ui.defaultFont);
    setStyleSheet(ui.StyleSheet());
    // activated fires for user choices only, which is what the tool windows expect to hear.
    connect(this, &QComboBox::activated, this, [this] { emit selectionChanged(m_id); });
}

int CQOVComboBox::InsertString(int index, const QString& text)
{
    const int at = (index < 0 || index > count()) ? count() : index;
    const bool wasEmpty = count() == 0;
    insertItem(at, text);
    // A list box starts with nothing selected; Qt would select the first item on its own.
    if (wasEmpty)
        setCurrentIndex(-1);
    return at;
}

void CQOVComboBox::SetCurSel(int index)
{
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

bool CQOVComboBox::GetLBText(int index, QString& out) const
{
    if (index < 0 || index >= count())
        return false;
    out = itemText(index);
    return true;
}

