#pragma once

#include "host/CQOVDefUiSettings.h"

#include <QColor>

// A window's own colours, starting from the shared theme.
class CQOVWndColorMgr
{
public:
    virtual ~CQOVWndColorMgr() = default;

    void SetBkColor(const QColor& color) { m_background = color; }
    QColor GetBkColor() const { return m_background; }
    void SetTextColor(const QColor& color) { m_text = color; }
    QColor GetTextColor() const { return m_text; }

private:
    QColor m_background = CQOVDefUiSettings::GetDefUiSettings().background;
    QColor m_text = CQOVDefUiSettings::GetDefUiSettings().text;
};
