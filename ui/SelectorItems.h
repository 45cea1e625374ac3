#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>

class CZuBuffer;

// One sub-button of a selector group.
struct ItemChildInfo
{
    QString name;
    QRect rect;           // in the control's client coordinates, set by the layout
    int32_t selected = 0; // 1 for the selected child of its group
};

// One group tile of a selector. The image belongs to whoever added the group; the children
// belong to the group's selector.
struct ItemInfo
{
    QString name;
    QRect rect;
    int32_t selected = 0;
    int32_t id = -1;
    CZuBuffer* image = nullptr;
    QList<ItemChildInfo*> children;
};

// What a point of a selector lands on. The kinds a hit can have are listed with it.
struct SelectorHit
{
    enum Kind : int32_t { None = -1, Group = 1, Child = 2, Picture = 3, PlayIcon = 4 };

    int32_t group = -1;
    int32_t child = -1;
    int32_t kind = None;
};
