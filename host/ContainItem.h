#pragma once

#include <QString>

class CZuBuffer;
class QPainter;
class QRect;

// One entry of a thumbnail grid. The grid does not own items or their thumbnails; it keeps
// selected up to date just before drawing so an override can draw the selected look too.
class ContainItem
{
public:
    virtual ~ContainItem() = default;

    // Paints the tile into rect: the thumbnail scaled to fit keeping aspect, over a rounded
    // tile-coloured rect (selected colour when selected).
    virtual void DrawPreview(QPainter& painter, const QRect& rect);
    // The caption: name when set, else the last part of path.
    QString DisplayName() const;

    QString path;
    QString name;
    CZuBuffer* thumbnail = nullptr;
    QString toolTip;
    void* userData = nullptr;
    bool isFolder = false;
    bool selected = false;
};
