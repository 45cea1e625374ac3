#include "host/CQOVContainWnd.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"
#include "host/ContainItem.h"
#include "host/QOVMessage.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {
constexpr int kAddImageInset = 2;
constexpr int kTextIndent = 6;
} // namespace

CQOVContainWnd::CQOVContainWnd(QWidget* parent, int id)
    : ChildControl(id, parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
}

void CQOVContainWnd::SetContainList(QList<ContainItem*>* items)
{
    m_items = items;
    m_selected.clear();
    m_current = m_hover = m_pressIndex = -1;
    ReLayout();
}

void CQOVContainWnd::SetItemSize(const QSize& size)
{
    m_itemSize = size.expandedTo(QSize(1, 1));
    ReLayout();
}

QSize CQOVContainWnd::GetItemSize() const { return m_itemSize; }

void CQOVContainWnd::EnableReportMode(bool report)
{
    m_report = report;
    ReLayout();
}

void CQOVContainWnd::SetMuitlSelect(bool multi)
{
    m_multi = multi;
    if (!multi && m_selected.size() > 1)
        SetCurSel(GetCurSel());
}

void CQOVContainWnd::SetNeedFolder(bool need)
{
    m_needFolder = need;
    ReLayout();
}

void CQOVContainWnd::SetDragDbClkItemMsg(int message) { m_message = message; }
void CQOVContainWnd::SetSupportContextMenu(bool support) { m_contextMenu = support; }
void CQOVContainWnd::SetSmartShowToolTip(bool smart) { m_smartTip = smart; }

void CQOVContainWnd::SetAddResImage(const CZuBuffer* image)
{
    m_addImage = image;
    viewport()->update();
}

void CQOVContainWnd::ReLayout()
{
    m_visible.clear();
    const qsizetype count = m_items ? m_items->size() : 0;
    for (int i = 0; i < count; ++i) {
        const ContainItem* item = m_items->at(i);
        if (item && (m_needFolder || !item->isFolder))
            m_visible.append(i);
    }
    // Selection and hover cannot point at items that are gone or hidden.
    m_selected.removeIf([this](int index) { return !m_visible.contains(index); });
    if (!m_visible.contains(m_current))
        m_current = -1;
    if (!m_visible.contains(m_hover))
        m_hover = -1;
    UpdateScrollRange();
    viewport()->update();
}

int CQOVContainWnd::GetCurSel() const
{
    if (m_current >= 0 && m_selected.contains(m_current))
        return m_current;
    const QList<int> selected = GetSelectedItems();
    return selected.isEmpty() ? -1 : selected.front();
}

void CQOVContainWnd::SetCurSel(int index)
{
    m_selected.clear();
    m_current = SlotOf(index) >= 0 ? index : -1;
    if (m_current >= 0) {
        m_selected.insert(m_current);
        EnsureVisible(m_current);
    }
    viewport()->update();
}

QList<int> CQOVContainWnd::GetSelectedItems() const
{
    QList<int> selected(m_selected.begin(), m_selected.end());
    std::sort(selected.begin(), selected.end());
    return selected;
}

int CQOVContainWnd::ColumnCount() const
{
    if (m_report)
        return 1;
    return std::max(1, (viewport()->width() - kSpacing) / (m_itemSize.width() + kSpacing));
}

int CQOVContainWnd::RowHeight() const
{
    return m_report ? kReportRowHeight : m_itemSize.height() + kSpacing;
}

ContainItem* CQOVContainWnd::ItemAt(int index) const
{
    return m_items && index >= 0 && index < m_items->size() ? m_items->at(index) : nullptr;
}

int CQOVContainWnd::SlotOf(int index) const { return int(m_visible.indexOf(index)); }

// The rect of the slot-th shown item in content coordinates.
QRect CQOVContainWnd::SlotRect(int slot) const
{
    if (m_report)
        return QRect(0, slot * kReportRowHeight, viewport()->width(), kReportRowHeight);
    const int columns = ColumnCount();
    return QRect(kSpacing + (slot % columns) * (m_itemSize.width() + kSpacing),
                 kSpacing + (slot / columns) * (m_itemSize.height() + kSpacing), m_itemSize.width(),
                 m_itemSize.height());
}

QRect CQOVContainWnd::GetItemRect(int index) const
{
    const int slot = SlotOf(index);
    return slot < 0 ? QRect() : SlotRect(slot).translated(0, -verticalScrollBar()->value());
}

int CQOVContainWnd::HitTest(const QPoint& point) const
{
    const QPoint content = point + QPoint(0, verticalScrollBar()->value());
    const int row = content.y() / RowHeight();
    if (content.y() < 0 || row < 0)
        return -1;
    const int columns = ColumnCount();
    for (int slot = row * columns; slot < std::min<int>(int(m_visible.size()), (row + 1) * columns); ++slot) {
        if (SlotRect(slot).contains(content))
            return m_visible[slot];
    }
    return -1;
}

QRect CQOVContainWnd::AddImageRect(int index) const
{
    const QRect tile = GetItemRect(index);
    if (!m_addImage || m_addImage->IsEmpty() || tile.isEmpty())
        return QRect();
    const QSize size = QSize(m_addImage->GetWidth(), m_addImage->GetHeight())
                           .boundedTo(QSize(tile.width() / 3, tile.height() / 3).expandedTo(QSize(1, 1)));
    return QRect(QPoint(tile.right() - kAddImageInset - size.width() + 1, tile.top() + kAddImageInset), size);
}

QString CQOVContainWnd::ToolTipAt(const QPoint& point) const
{
    const ContainItem* item = ItemAt(HitTest(point));
    if (!m_smartTip || !item)
        return QString();
    return item->toolTip.isEmpty() ? item->DisplayName() : item->toolTip;
}

void CQOVContainWnd::UpdateScrollRange()
{
    const int columns = ColumnCount();
    const int rows = (int(m_visible.size()) + columns - 1) / columns;
    const int content = rows * RowHeight() + (m_report || rows == 0 ? 0 : kSpacing);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(std::max(1, RowHeight() / 2));
    bar->setRange(0, std::max(0, content - viewport()->height()));
}

void CQOVContainWnd::EnsureVisible(int index)
{
    const QRect rect = GetItemRect(index);
    QScrollBar* bar = verticalScrollBar();
    if (rect.top() < 0)
        bar->setValue(bar->value() + rect.top() - (m_report ? 0 : kSpacing));
    else if (rect.bottom() >= viewport()->height())
        bar->setValue(bar->value() + rect.bottom() - viewport()->height() + 1 + (m_report ? 0 : kSpacing));
}

void CQOVContainWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CQOVContainWnd::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CQOVContainWnd::paintEvent(QPaintEvent*)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ui.background);
    painter.setFont(font());
    for (int index : std::as_const(m_visible)) {
        const QRect rect = GetItemRect(index);
        if (rect.intersects(viewport()->rect()))
            DrawItem(painter, index, rect);
    }
}

void CQOVContainWnd::DrawItem(QPainter& painter, int index, const QRect& rect)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    ContainItem* item = m_items->at(index);
    item->selected = m_selected.contains(index);
    const QString caption = item->DisplayName();
    QRect textRect;
    if (m_report) {
        if (item->selected)
            painter.fillRect(rect, ui.selectedTile);
        const int h = rect.height() - 4;
        const QRect preview(rect.left() + 2, rect.top() + 2, h * 4 / 3, h);
        item->DrawPreview(painter, preview);
        textRect = rect.adjusted(preview.right() + kTextIndent - rect.left(), 0, -kTextIndent, 0);
    } else {
        item->DrawPreview(painter, rect);
        textRect = QRect(rect.left(), rect.bottom() - kCaptionHeight + 1, rect.width(), kCaptionHeight);
        if (!caption.isEmpty()) {
            QColor band = ui.background;
            band.setAlpha(160);
            painter.fillRect(textRect, band);
        }
        textRect.adjust(3, 0, -3, 0);
    }
    painter.setPen(ui.text);
    painter.drawText(textRect, Qt::AlignVCenter | (m_report ? Qt::AlignLeft : Qt::AlignHCenter),
                     painter.fontMetrics().elidedText(caption, Qt::ElideMiddle, textRect.width()));
    if (index == m_hover && m_addImage && !m_addImage->IsEmpty())
        m_addImage->StretchBltToDC(&painter, AddImageRect(index), QRect(), 0);
}

bool CQOVContainWnd::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), GetItemRect(HitTest(help->pos())));
        return true;
    }
    if (event->type() == QEvent::Leave)
        SetHover(-1);
    return QAbstractScrollArea::viewportEvent(event);
}

void CQOVContainWnd::SetHover(int index)
{
    if (index == m_hover)
        return;
    m_hover = index;
    viewport()->update();
}

void CQOVContainWnd::ClickSelect(int index, Qt::KeyboardModifiers modifiers)
{
    const QSet<int> before = m_selected;
    if (m_multi && index >= 0 && (modifiers & Qt::ControlModifier)) {
        if (!m_selected.remove(index))
            m_selected.insert(index);
    } else if (m_multi && index >= 0 && (modifiers & Qt::ShiftModifier) && m_current >= 0) {
        // minmax of temporaries would hand back dangling references, so name the slots first.
        const int anchor = SlotOf(m_current);
        const int clicked = SlotOf(index);
        const int from = std::min(anchor, clicked);
        const int to = std::max(anchor, clicked);
        m_selected.clear();
        for (int slot = from; slot <= to; ++slot)
            m_selected.insert(m_visible[slot]);
    } else {
        m_selected.clear();
        if (index >= 0)
            m_selected.insert(index);
    }
    // A shift-click keeps the anchor so the range can be extended again.
    if (!(m_multi && (modifiers & Qt::ShiftModifier) && m_current >= 0))
        m_current = index;
    viewport()->update();
    if (m_selected != before)
        emit selectionChanged(m_id);
}

void CQOVContainWnd::Activate(int index)
{
    ContainItem* item = ItemAt(index);
    if (!item)
        return;
    if (m_message != 0)
        QOVSendMessage(parentWidget(), m_message, uintptr_t(index), reinterpret_cast<intptr_t>(item));
    emit itemActivated(m_id, index);
}

void CQOVContainWnd::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int index = HitTest(pos);
    m_pressIndex = -1;
    if (event->button() == Qt::LeftButton) {
        if (index >= 0 && index == m_hover && AddImageRect(index).contains(pos)) {
            emit addClicked(m_id, index);
            return;
        }
        ClickSelect(index, event->modifiers());
        m_pressIndex = index;
        m_pressPos = pos;
        m_dragSent = false;
    } else if (event->button() == Qt::RightButton && m_contextMenu) {
        if (index >= 0 && !m_selected.contains(index))
            ClickSelect(index, Qt::NoModifier);
        emit contextMenuRequested(m_id, index, event->globalPosition().toPoint());
    }
}

void CQOVContainWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    SetHover(HitTest(pos));
    if (!(event->buttons() & Qt::LeftButton) || m_pressIndex < 0 || m_dragSent)
        return;
    if ((pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragSent = true;
        Activate(m_pressIndex);
    }
}

void CQOVContainWnd::mouseReleaseEvent(QMouseEvent*)
{
    m_pressIndex = -1;
}

void CQOVContainWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = HitTest(event->position().toPoint());
    if (index >= 0)
        Activate(index);
}
