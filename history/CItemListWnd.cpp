#include "history/CItemListWnd.h"

#include "history/ItemListPainter.h"
#include "host/CZuScrollBar.h"
#include "host/QOVMessage.h"
#include "ui/SharedWindowState.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

CItemListWnd::CItemListWnd(QWidget* parent)
    : CQOVBaseWnd(parent)
    , m_column(this, kLineStep, kMinPage, [this] { return ScrollRange(); }, [this] { update(); })
{
    setMouseTracking(true);
}

int CItemListWnd::OnCreate()
{
    m_column.CreateBar(kScrollBarId)->Create(
        this, QRect(width() - ItemListGeometry::kScrollBarWidth, 0, ItemListGeometry::kScrollBarWidth, height()),
        kScrollBarId);
    m_addImage = SharedWindowState::Get().AddItemImage();
    m_addIconEnabled = true;
    return 0;
}

void CItemListWnd::DeleteAllItems()
{
    m_items.clear();
    m_hoverRow = -1;
    m_hoverHasFiles = false;
    m_selectedRow = -1;
}

TaskItemData* CItemListWnd::AddItem(std::unique_ptr<TaskItemData> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

const TaskItemData* CItemListWnd::GetItem(int row) const
{
    return row >= 0 && row < GetItemCount() ? m_items[size_t(row)].get() : nullptr;
}

void CItemListWnd::UpdateScrollInfo()
{
    m_column.Update();
    update();
}

void CItemListWnd::SetRowHeight(int height)
{
    m_rowHeight = std::max(height, 1);
    UpdateScrollInfo();
}

void CItemListWnd::EnableAddIcon(bool enable)
{
    m_addIconEnabled = enable;
    update();
}

void CItemListWnd::OnSize(int type, int cx, int cy)
{
    CQOVBaseWnd::OnSize(type, cx, cy);
    if (CZuScrollBar* bar = m_column.Bar())
        bar->setGeometry(cx - ItemListGeometry::kScrollBarWidth, 0, ItemListGeometry::kScrollBarWidth, cy);
    UpdateScrollInfo();
}

void CItemListWnd::OnDraw(QPainter& painter)
{
    const ItemListGeometry geometry = Geometry();
    ItemListPainter drawing(painter, geometry, GetBkColor(), GetTextColor());
    drawing.FillBackground();
    const CZuBuffer* icon = IsAddIconShown() ? m_addImage : nullptr;
    // Only the rows inside the window: the list may hold thousands.
    for (int row = geometry.FirstVisibleRow(); row < GetItemCount() && geometry.RowTop(row) < geometry.Height(); ++row)
        drawing.DrawRow(row, *m_items[size_t(row)], row == m_selectedRow, row == m_hoverRow ? icon : nullptr);
    drawing.DrawFrame(GetItemCount());
}

ItemListGeometry::Hit CItemListWnd::HitTest(const QPoint& point)
{
    const ItemListGeometry::Hit hit = Geometry().HitTest(point, GetItemCount(), IsAddIconShown());
    m_hitKind = hit.kind;
    return hit;
}

void CItemListWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed) {
        const ItemListGeometry::Hit hit = HitTest(event->position().toPoint());
        const TaskItemData* item = GetItem(hit.row);
        const bool hasFiles = item && !item->Files.isEmpty();
        if (hit.row != m_hoverRow || hasFiles != m_hoverHasFiles) {
            m_hoverRow = hit.row;
            m_hoverHasFiles = hasFiles;
            update();
        }
    }
    CQOVBaseWnd::mouseMoveEvent(event);
}

void CItemListWnd::leaveEvent(QEvent* event)
{
    if (m_hoverHasFiles) {
        m_hoverHasFiles = false;
        update();
    }
    CQOVBaseWnd::leaveEvent(event);
}

void CItemListWnd::OnLButtonDown(Qt::KeyboardModifiers, const QPoint& point)
{
    m_pressed = true;
    const ItemListGeometry::Hit hit = HitTest(point);
    const int previous = m_selectedRow;
    m_selectedRow = hit.row;
    if (previous != m_selectedRow)
        update();
}

void CItemListWnd::OnLButtonUp(Qt::KeyboardModifiers, const QPoint&)
{
    if (m_pressed && m_hitKind == ItemListGeometry::HitAddIcon)
        AddAction();
    m_pressed = false;
}

void CItemListWnd::AddAction()
{
    const TaskItemData* item = GetItem(m_hoverRow);
    if (!IsAddIconShown() || !item)
        return;
    if (m_ownerTool)
        QOVPostTexts(m_ownerTool, kAddItemMessage, item->SrcInfo, item->Files);
    m_hoverHasFiles = false;
    update();
}

void CItemListWnd::wheelEvent(QWheelEvent* event)
{
    m_column.Wheel(event);
}
