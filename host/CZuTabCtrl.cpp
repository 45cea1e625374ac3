#include "host/CZuTabCtrl.h"

#include "host/CQOVDefUiSettings.h"

#include <QScopedValueRollback>

CZuTabCtrl::CZuTabCtrl(QWidget* parent, int id)
    : ChildControl(id, parent)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    setFont(ui.defaultFont);
    setDrawBase(false);
    setExpanding(false);
    setStyleSheet(QStringLiteral("QTabBar { background: %1; }"
                                 "QTabBar::tab { background: %2; color: %3; border: 1px solid %4;"
                                 " padding: 4px 12px; margin-right: 1px; }"
                                 "QTabBar::tab:hover { background: %5; }"
                                 "QTabBar::tab:selected { background: %6; border-bottom: 2px solid %7; }"
                                 "QTabBar::tab:disabled { color: %8; }")
                      .arg(ui.background.name(), ui.buttonFace.name(), ui.text.name(), ui.border.name(),
                           ui.buttonHover.name(), ui.selectedTile.name(), ui.accent.name(),
                           ui.disabledText.name()));
    connect(this, &QTabBar::currentChanged, this, [this] {
        if (!m_quiet)
            emit selectionChanged(m_id);
    });
}

int CZuTabCtrl::InsertItem(int index, const QString& text)
{
    QScopedValueRollback quiet(m_quiet, true);
    return insertTab(index < 0 || index > count() ? count() : index, text);
}

void CZuTabCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= count())
        return;
    QScopedValueRollback quiet(m_quiet, true);
    setCurrentIndex(index);
}

void CZuTabCtrl::DeleteAllItems()
{
    QScopedValueRollback quiet(m_quiet, true);
    while (count() > 0)
        removeTab(count() - 1);
}
