#include "history/ItemListGeometry.h"

#include <algorithm>

ItemListGeometry::ItemListGeometry(const QSize& client, int rowHeight, int scrollPos)
    : m_width(client.width() - kScrollBarWidth)
    , m_height(client.height())
    , m_rowHeight(std::max(rowHeight, 1))
    , m_scrollPos(scrollPos)
    , m_sourceWidth(std::max(kMinSourceWidth, m_width * 2 / 5 - kNumberWidth))
{
}

QRect ItemListGeometry::ResultTextRect(int row) const
{
    const int left = ResultLeft() + kTextInset;
    return QRect(left, RowTop(row), m_width - kTextInset - left, m_rowHeight);
}

QRect ItemListGeometry::ThumbnailRect(int row, int index) const
{
    const int side = m_rowHeight - 4;
    return QRect(ResultLeft() + 2 + index * m_rowHeight, RowTop(row) + 2, side, side);
}

QRect ItemListGeometry::IconRect(int row) const
{
    const QRect result = ResultRect(row);
    return QRect(result.left() + (result.width() - kIconSide) / 2, result.top() + (m_rowHeight - kIconSide) / 2,
                 kIconSide, kIconSide);
}

int ItemListGeometry::FirstVisibleRow() const
{
    // Rows wholly above the window are skipped; a partly visible one is the first drawn.
    return std::max(0, m_scrollPos / m_rowHeight);
}

bool ItemListGeometry::IsRowVisible(int row) const
{
    return RowTop(row) < m_height && RowTop(row) + m_rowHeight > 0;
}

ItemListGeometry::Hit ItemListGeometry::HitTest(const QPoint& point, int rowCount, bool iconShown) const
{
    Hit hit;
    if (point.y() < 0 || point.y() >= m_height || point.x() < 0 || point.x() >= m_width)
        return hit;
    const int row = (point.y() + m_scrollPos) / m_rowHeight;
    if (point.y() + m_scrollPos < 0 || row >= rowCount)
        return hit;
    hit.row = row;
    if (iconShown && IconRect(row).adjusted(-kIconSlack, -kIconSlack, kIconSlack, kIconSlack).contains(point))
        hit.kind = HitAddIcon;
    else if (point.x() < kNumberWidth)
        hit.kind = HitNumber;
    else if (point.x() < ResultLeft())
        hit.kind = HitSource;
    else
        hit.kind = HitResult;
    return hit;
}
