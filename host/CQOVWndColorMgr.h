#pragma once

#include <QColor>

// A window's own colours, starting from the shared theme.
class CQOVWndColorMgr
{
public:
    CQOVWndColorMgr();
    virtual ~CQOVWndColorMgr() = default;

    void SetBkColor(const QColor& color);
    QColor GetBkColor() const;
    void SetTextColor(const QColor& color);
    QColor GetTextColor() const;

private:
    QColor m_background;
    QColor m_text;
};
