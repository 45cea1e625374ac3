#pragma once

#include <functional>

class CZuScrollBar;
class QWheelEvent;
class QWidget;

// A window whose content may be taller than the window: the vertical bar, the offset the content
// is drawn at, and the line step of the bar's arrows and of one wheel notch. The window keeps its
// layout; the column tells it when the offset moved.
class ScrolledColumn
{
public:
    // contentHeight is asked afresh at every change; moved runs after the offset changed. The
    // page is the window's height, never below minimumPage.
    ScrolledColumn(QWidget* window, int lineStep, int minimumPage, std::function<int()> contentHeight,
                   std::function<void()> moved);

    // Makes the bar, a child of the window with the identifier; the user's scrolling moves the
    // offset from then on.
    CZuScrollBar* CreateBar(int id);
    CZuScrollBar* Bar() const { return m_bar; }
    int Offset() const { return m_offset; }
    int Page() const;

    // After the content or the window changed size: the offset kept within the content, the
    // bar's range, page and position to match. Does not run moved.
    void Update();
    // Moves the offset, kept within the content, and the bar with it.
    void ScrollTo(int position);
    // One line up or down a notch; a wheel turned sideways moves nothing.
    void Wheel(QWheelEvent* event);

private:
    int Highest() const;

    QWidget* m_window;
    int m_lineStep;
    int m_minimumPage;
    std::function<int()> m_contentHeight;
    std::function<void()> m_moved;
    CZuScrollBar* m_bar = nullptr;
    int m_offset = 0;
};
