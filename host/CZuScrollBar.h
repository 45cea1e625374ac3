#pragma once

#include "host/ChildControl.h"

#include <QScrollBar>

// Range, page and position of a scroll bar in the editor's terms.
struct SCROLLINFO
{
    int nMin = 0;
    int nMax = 0;
    int nPage = 0;     // the visible amount
    int nPos = 0;
    int nTrackPos = 0; // where the thumb is while being dragged
};

// The editor's vertical scroll bar. The range covers the whole content and the page the visible
// part, so the highest position is nMax - nPage + 1. User scrolling is reported with the child
// identifier; SetScrollInfo stays silent.
class CZuScrollBar : public ChildControl<QScrollBar>
{
    Q_OBJECT

public:
    explicit CZuScrollBar(QWidget* parent = nullptr, int id = 0);

    void GetScrollInfo(SCROLLINFO& info) const;
    void SetScrollInfo(const SCROLLINFO& info, bool redraw = true);
    int GetScrollPos() const { return value(); }
    void SetScrollPos(int position, bool redraw = true);

signals:
    void scrolled(int id, int position);

private:
    int m_min = 0;
    int m_max = 0;
    int m_page = 0;
    bool m_quiet = false;
};
