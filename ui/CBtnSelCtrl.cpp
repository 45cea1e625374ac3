#include "ui/CBtnSelCtrl.h"

#include "host/CQOVDefUiSettings.h"
#include "host/QOVMessage.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor kSelectedEdge(48, 162, 199);
constexpr int kCorner = 4;

int BottomOf(const QRect& rect)
{
    return rect.y() + rect.height();
}

} // namespace

CBtnSelCtrl::CBtnSelCtrl(QWidget* parent)
    : CQOVBaseWnd(parent)
{
}

CBtnSelCtrl::~CBtnSelCtrl()
{
    for (ItemInfo* group : std::as_const(m_groups)) {
        qDeleteAll(group->children);
        delete group;
    }
}

void CBtnSelCtrl::AddGroup(const QString& name, const QStringList* childNames, CZuBuffer* image, int32_t id)
{
    auto* group = new ItemInfo;
    group->name = name;
    group->image = image;
    group->id = id;
    if (childNames) {
        for (const QString& childName : *childNames) {
            auto* child = new ItemChildInfo;
            child->name = childName;
            child->selected = group->children.isEmpty() ? 1 : 0;
            group->children.append(child);
        }
    }
    m_groups.append(group);
}

template <class Tile>
int CBtnSelCtrl::FlowTiles(const QList<Tile*>& tiles, int top, int width) const
{
    int x = 0;
    int y = top;
    int lastRowTop = top;
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        tiles[i]->rect = QRect(x, y, m_tileWidth, m_tileHeight);
        lastRowTop = y;
        const int right = x + m_tileWidth;
        if (i + 1 < tiles.size() && right + m_tileWidth + m_gap > width) {
            x = 0;
            y += m_tileHeight + kRowGap;
        } else {
            x += m_tileWidth + m_gap;
        }
    }
    return lastRowTop;
}

int CBtnSelCtrl::Layout(int width, bool notify)
{
    const int lastRowTop = FlowTiles(m_groups, 0, width);

    int height = 0;
    for (ItemInfo* group : m_groups) {
        height = std::max(height, BottomOf(group->rect));
        // Every group's children share one area below the grid; only the selected group's show.
        FlowTiles(group->children, lastRowTop + kChildrenOffset, width);
        for (ItemChildInfo* child : group->children)
            height = std::max(height, BottomOf(child->rect));
    }
    if (height != m_contentHeight) {
        m_contentHeight = height;
        if (notify) {
            QWidget* target = m_notifyWnd ? m_notifyWnd.data() : parentWidget();
            QOVSendMessage(target, kContentHeightMessage, uintptr_t(height), intptr_t(this));
        }
    }
    return height;
}

QString CBtnSelCtrl::GetSelectedText() const
{
    const ItemInfo* group = SelectedGroupInfo();
    if (!group)
        return QString();
    if (m_selectedChild < 0)
        return group->name;
    if (m_selectedChild >= group->children.size())
        return QString();
    return group->children[m_selectedChild]->name;
}

void CBtnSelCtrl::SetTileSize(int width, int gap, int height)
{
    m_tileWidth = width;
    m_gap = gap;
    m_tileHeight = height;
}

ItemInfo* CBtnSelCtrl::SelectedGroupInfo() const
{
    return m_selectedGroup >= 0 && m_selectedGroup < m_groups.size() ? m_groups[m_selectedGroup] : nullptr;
}

SelectorHit CBtnSelCtrl::HitTest(const QPoint& point) const
{
    SelectorHit hit;
    for (qsizetype i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i]->rect.contains(point)) {
            hit.group = int32_t(i);
            hit.kind = SelectorHit::Group;
            return hit;
        }
    }
    if (const ItemInfo* group = SelectedGroupInfo()) {
        for (qsizetype i = 0; i < group->children.size(); ++i) {
            if (group->children[i]->rect.contains(point)) {
                hit.group = m_selectedGroup;
                hit.child = int32_t(i);
                hit.kind = SelectorHit::Child;
                return hit;
            }
        }
    }
    return hit;
}

void CBtnSelCtrl::OnLButtonDown(Qt::KeyboardModifiers, const QPoint& point)
{
    m_captured = true;
    const SelectorHit hit = HitTest(point);
    m_hitKind = hit.kind;
    if (hit.kind == SelectorHit::Group) {
        SelectGroup(hit.group);
    } else if (hit.kind == SelectorHit::Child) {
        m_selectedChild = hit.child;
        const QList<ItemChildInfo*>& children = m_groups[hit.group]->children;
        for (qsizetype i = 0; i < children.size(); ++i)
            children[i]->selected = i == hit.child ? 1 : 0;
    }
    update();
}

void CBtnSelCtrl::SelectGroup(int index)
{
    if (index < 0 || index >= m_groups.size())
        return;
    m_selectedGroup = index;
    for (qsizetype i = 0; i < m_groups.size(); ++i)
        m_groups[i]->selected = i == index ? 1 : 0;
    m_selectedChild = -1;
    const QList<ItemChildInfo*>& children = m_groups[index]->children;
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (children[i]->selected)
            m_selectedChild = int(i);
    }
    update();
}

void CBtnSelCtrl::OnLButtonUp(Qt::KeyboardModifiers, const QPoint&)
{
    m_captured = false;
}

void CBtnSelCtrl::DrawTextTile(QPainter& painter, const QRect& rect, const QString& name, bool selected) const
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    painter.setPen(QPen(selected ? kSelectedEdge : ui.border, 1));
    painter.setBrush(selected ? ui.selectedTile : ui.tile);
    painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), kCorner / 2.0, kCorner / 2.0);
    painter.setPen(selected ? QColor(Qt::white) : ui.text);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, QString(name).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

void CBtnSelCtrl::OnDraw(QPainter& painter)
{
    painter.fillRect(rect(), CQOVDefUiSettings::GetDefUiSettings().background);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ItemInfo* group : m_groups)
        DrawTextTile(painter, group->rect, group->name, group->selected != 0);
    if (const ItemInfo* group = SelectedGroupInfo()) {
        for (const ItemChildInfo* child : group->children)
            DrawTextTile(painter, child->rect, child->name, child->selected != 0);
    }
}
