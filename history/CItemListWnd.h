#pragma once

#include "history/ItemListGeometry.h"
#include "history/TaskItemData.h"
#include "host/CQOVBaseWnd.h"
#include "service/MessageNumbers.h"
#include "ui/ScrolledColumn.h"

#include <QPointer>

#include <memory>
#include <vector>

class CZuBuffer;

// The history dialog's owner-drawn list: one row per task with its number, source and results.
// Hovering a row that has result files shows the add icon; clicking it hands the row's source and
// files to the owner tool window as message 8224.
class CItemListWnd : public CQOVBaseWnd
{
public:
    // Carries the entry's source and files as the message's texts (WText, LText), which the
    // message owns: the receiver reads them and frees nothing.
    static constexpr int kAddItemMessage = MessageNumbers::kHistoryItem;
    static constexpr int kScrollBarId = 1001;
    static constexpr int kLineStep = 15;
    static constexpr int kMinPage = 60;
    static constexpr int kDefaultRowHeight = 40;

    explicit CItemListWnd(QWidget* parent = nullptr);

    void DeleteAllItems();
    // Appends an entry; the list owns it from now on.
    TaskItemData* AddItem(std::unique_ptr<TaskItemData> item);
    int GetItemCount() const { return int(m_items.size()); }
    const TaskItemData* GetItem(int row) const;

    // Recomputes the scroll range after the entries or the size changed, then repaints.
    void UpdateScrollInfo();
    int GetScrollPos() const { return m_column.Offset(); }
    // Moves the view, kept within the content; repaints when it moved.
    void ScrollTo(int position) { m_column.ScrollTo(position); }

    void SetRowHeight(int height);
    int GetRowHeight() const { return m_rowHeight; }
    // The tool window that receives 8224.
    void SetOwnerTool(QWidget* tool) { m_ownerTool = tool; }
    QWidget* GetOwnerTool() const { return m_ownerTool.data(); }
    void EnableAddIcon(bool enable);

    int GetSelectedRow() const { return m_selectedRow; }
    int GetHoverRow() const { return m_hoverRow; }
    bool IsAddIconShown() const { return m_addIconEnabled && m_hoverHasFiles; }
    ItemListGeometry Geometry() const { return ItemListGeometry(size(), m_rowHeight, m_column.Offset()); }

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;
    void OnDraw(QPainter& painter) override;
    void OnLButtonDown(Qt::KeyboardModifiers modifiers, const QPoint& point) override;
    void OnLButtonUp(Qt::KeyboardModifiers modifiers, const QPoint& point) override;

    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    ItemListGeometry::Hit HitTest(const QPoint& point);
    void AddAction();
    int ScrollRange() const { return (GetItemCount() + 1) * m_rowHeight; }

    std::vector<std::unique_ptr<TaskItemData>> m_items;
    ScrolledColumn m_column;
    bool m_addIconEnabled = false;
    bool m_hoverHasFiles = false;
    int m_hoverRow = -1;
    CZuBuffer* m_addImage = nullptr; // shared by the module, not owned
    bool m_pressed = false;
    int m_selectedRow = -1;
    int m_hitKind = ItemListGeometry::HitNone;
    int m_rowHeight = kDefaultRowHeight;
    QPointer<QWidget> m_ownerTool;
};
