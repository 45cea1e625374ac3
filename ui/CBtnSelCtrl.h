#pragma once

#include "ui/SelectorItems.h"
#include "host/CQOVBaseWnd.h"
#include "service/MessageNumbers.h"

#include <QList>
#include <QPointer>
#include <QStringList>

// An owner-drawn grid of text buttons in groups, each group with optional sub-buttons shown
// under the grid while it is selected. Tiles flow left to right and wrap to the control's width.
class CBtnSelCtrl : public CQOVBaseWnd
{
public:
    // Sent (not posted) when a layout asked to notify changed the content height: word parameter
    // the new height, long parameter the control.
    static constexpr int kContentHeightMessage = MessageNumbers::kContentHeight;
    static constexpr int kRowGap = 5;
    // The children's area starts this far below the top of the last row of groups.
    static constexpr int kChildrenOffset = 25;

    explicit CBtnSelCtrl(QWidget* parent = nullptr);
    ~CBtnSelCtrl() override;

    // Appends a group; with child names, one child per name, the first selected. The image is
    // borrowed and must outlive the control's drawing.
    void AddGroup(const QString& name, const QStringList* childNames, CZuBuffer* image, int32_t id);
    // Places the tiles for a control width; returns the content height and, when notify is set
    // and the height changed, tells the notify window.
    int Layout(int width, bool notify);
    // The selected child's name, else the selected group's, else empty.
    QString GetSelectedText() const;

    // Selects a group as a press on its tile does: its flagged child becomes the selected child.
    void SelectGroup(int index);

    void SetTileSize(int width, int gap, int height);
    // Where the content-height message goes; the parent when unset.
    void SetNotifyWnd(QWidget* window) { m_notifyWnd = window; }

    const QList<ItemInfo*>& Groups() const { return m_groups; }
    int GetSelectedGroup() const { return m_selectedGroup; }
    int GetSelectedChild() const { return m_selectedChild; }
    int GetLastHitKind() const { return m_hitKind; }
    int GetContentHeight() const { return m_contentHeight; }
    int GetTileWidth() const { return m_tileWidth; }
    int GetTileHeight() const { return m_tileHeight; }

    virtual SelectorHit HitTest(const QPoint& point) const;

protected:
    void OnDraw(QPainter& painter) override;
    void OnLButtonDown(Qt::KeyboardModifiers modifiers, const QPoint& point) override;
    void OnLButtonUp(Qt::KeyboardModifiers modifiers, const QPoint& point) override;

    // Draws one text tile: a rounded rectangle with the name centred on one line.
    void DrawTextTile(QPainter& painter, const QRect& rect, const QString& name, bool selected) const;
    ItemInfo* SelectedGroupInfo() const;

    int m_selectedGroup = -1;
    int m_selectedChild = -1;
    int m_hitKind = SelectorHit::None;
    bool m_captured = false;
    QList<ItemInfo*> m_groups;
    int m_tileWidth = 80;
    int m_gap = 5;
    int m_tileHeight = 20;
    int m_contentHeight = 0;

private:
    // Flows the tiles (groups or children) from (0, top); returns the top of the last row.
    template <class Tile>
    int FlowTiles(const QList<Tile*>& tiles, int top, int width) const;

    QPointer<QWidget> m_notifyWnd;
};
