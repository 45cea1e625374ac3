#include "host/CQOVBaseDlg.h"

#include "host/CQOVDefUiSettings.h"

#include <QPainter>

CQOVBaseDlg::CQOVBaseDlg(QWidget* parent)
    : QDialog(parent)
{
    setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
}

int CQOVBaseDlg::DoModal()
{
    return exec();
}

bool CQOVBaseDlg::OnInitDialog()
{
    return true;
}

void CQOVBaseDlg::OnSize(int, int, int)
{
}

bool CQOVBaseDlg::PreTranslateMessage(QObject*, QEvent*)
{
    return false;
}

void CQOVBaseDlg::OnDraw(QPainter& painter)
{
    painter.fillRect(rect(), GetBkColor());
}

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

void CQOVBaseDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    OnDraw(painter);
}

void CQOVBaseDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    OnSize(0, width(), height());
}
