#include "host/CQOVWndColorMgr.h"

#include "host/CQOVDefUiSettings.h"

CQOVWndColorMgr::CQOVWndColorMgr()
    : m_background(CQOVDefUiSettings::GetDefUiSettings().background)
    , m_text(CQOVDefUiSettings::GetDefUiSettings().text)
{
}

void CQOVWndColorMgr::SetBkColor(const QColor& color)
{
    m_background = color;
}

QColor CQOVWndColorMgr::GetBkColor() const
{
    return m_background;
}

void CQOVWndColorMgr::SetTextColor(const QColor& color)
{
    m_text = color;
}

QColor CQOVWndColorMgr::GetTextColor() const
{
    return m_text;
}
