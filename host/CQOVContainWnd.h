#pragma once

#include "host/ChildControl.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QSet>

class CZuBuffer;
class ContainItem;

// A scrolling grid of thumbnails (or, in report mode, a list with one row per item). The item
// list and the items belong to the caller, who calls ReLayout after changing them. Indices are
// positions in that list; folder items are left out unless SetNeedFolder(true).
class CQOVContainWnd : public ChildControl<QAbstractScrollArea>
{
    Q_OBJECT

public:
    explicit CQOVContainWnd(QWidget* parent = nullptr, int id = 0);

    void SetContainList(QList<ContainItem*>* items);
    void SetItemSize(const QSize& size);
    QSize GetItemSize() const;
    void ReLayout();
    void EnableReportMode(bool report);
    void SetMuitlSelect(bool multi);
    void SetNeedFolder(bool need);
    // The message sent to the parent (WParam index, LParam the ContainItem*) when an item is
    // double-clicked or dragged out; 0 sends nothing.
    void SetDragDbClkItemMsg(int message);
    void SetSupportContextMenu(bool support);
    void SetSmartShowToolTip(bool smart);
    // Not owned; drawn on the hovered tile's top-right corner; clicking it reports addClicked.
    void SetAddResImage(const CZuBuffer* image);

    int GetCurSel() const;
    void SetCurSel(int index);
    QList<int> GetSelectedItems() const;

    // Geometry in viewport coordinates (scrolling included); empty / -1 for nothing.
    QRect GetItemRect(int index) const;
    int HitTest(const QPoint& point) const;
    QRect AddImageRect(int index) const;
    int ColumnCount() const;
    // What hovering point shows: the item's tooltip, else its caption; empty when tooltips are off.
    QString ToolTipAt(const QPoint& point) const;

    static constexpr int kSpacing = 6;
    static constexpr int kReportRowHeight = 28;
    static constexpr int kCaptionHeight = 18;

signals:
    void selectionChanged(int id);
    void itemActivated(int id, int index);
    void contextMenuRequested(int id, int index, const QPoint& globalPos);
    void addClicked(int id, int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ContainItem* ItemAt(int index) const;
    int SlotOf(int index) const;
    QRect SlotRect(int slot) const;
    int RowHeight() const;
    void UpdateScrollRange();
    void EnsureVisible(int index);
    void ClickSelect(int index, Qt::KeyboardModifiers modifiers);
    void Activate(int index);
    void SetHover(int index);
    void DrawItem(QPainter& painter, int index, const QRect& rect);

    QList<ContainItem*>* m_items = nullptr;
    QList<int> m_visible;
    QSet<int> m_selected;
    QSize m_itemSize{96, 72};
    bool m_report = false;
    bool m_multi = false;
    bool m_needFolder = true;
    bool m_contextMenu = false;
    bool m_smartTip = false;
    int m_message = 0;
    const CZuBuffer* m_addImage = nullptr;
    int m_current = -1;
    int m_hover = -1;
    int m_pressIndex = -1;
    QPoint m_pressPos;
    bool m_dragSent = false;
};
