#include "host/CQOVBaseDlg.h"

bool CQOVBaseDlg::event(QEvent* event)
{
    if (PreTranslateMessage(this, event))
        return true;
    return QDialog::event(event);
}

void CQOVBaseDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}
