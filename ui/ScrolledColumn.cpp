#include "ui/ScrolledColumn.h"

#include "host/CZuScrollBar.h"

#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

ScrolledColumn::ScrolledColumn(QWidget* window, int lineStep, int minimumPage, std::function<int()> contentHeight,
                               std::function<void()> moved)
    : m_window(window)
    , m_lineStep(lineStep)
    , m_minimumPage(minimumPage)
    , m_contentHeight(std::move(contentHeight))
    , m_moved(std::move(moved))
{
}

CZuScrollBar* ScrolledColumn::CreateBar(int id)
{
    m_bar = new CZuScrollBar(m_window, id);
    m_bar->setSingleStep(m_lineStep);
    QObject::connect(m_bar, &CZuScrollBar::scrolled, m_window, [this](int, int position) { ScrollTo(position); });
    return m_bar;
}

int ScrolledColumn::Page() const
{
    return std::max(m_window->height(), m_minimumPage);
}

int ScrolledColumn::Highest() const
{
    return std::max(0, m_contentHeight() - Page());
}

void ScrolledColumn::Update()
{
    const int page = Page();
    m_offset = std::clamp(m_offset, 0, Highest());
    if (!m_bar)
        return;
    SCROLLINFO info;
    info.nMin = 0;
    // The bar's highest position is its maximum less the page plus one: the offset's highest.
    info.nMax = m_contentHeight() - 1;
    info.nPage = page;
    info.nPos = m_offset;
    m_bar->SetScrollInfo(info);
    // A window taller than its content still pages by its own height.
    m_bar->setPageStep(page);
}

void ScrolledColumn::ScrollTo(int position)
{
    const int clamped = std::clamp(position, 0, Highest());
    if (m_bar && m_bar->GetScrollPos() != clamped)
        m_bar->SetScrollPos(clamped);
    if (clamped == m_offset)
        return;
    m_offset = clamped;
    m_moved();
}

void ScrolledColumn::Wheel(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta != 0)
        ScrollTo(m_offset + (delta > 0 ? -m_lineStep : m_lineStep));
    event->accept();
}
