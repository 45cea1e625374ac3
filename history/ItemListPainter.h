#pragma once

#include "history/ItemListGeometry.h"

#include <QColor>
#include <QRect>
#include <QString>

class CZuBuffer;
class QPainter;
struct TaskItemData;

// Draws the history list in the editor's look: one row per entry with its number, source and
// results, the column separators and a frame.
class ItemListPainter
{
public:
    ItemListPainter(QPainter& painter, const ItemListGeometry& geometry, const QColor& background,
                    const QColor& text);

    void FillBackground();
    // addIcon is drawn in the row's result column when given.
    void DrawRow(int row, const TaskItemData& item, bool selected, const CZuBuffer* addIcon);
    // The separators reach down to the bottom of the last of rowCount rows.
    void DrawFrame(int rowCount);

private:
    void DrawThumbnails(int row, const TaskItemData& item);
    void DrawResultText(int row, const TaskItemData& item);
    // Word-wrapped from the top, long words broken anywhere, the last line that fits ending in an
    // ellipsis when text is left over.
    void DrawWrapped(const QRect& rect, const QString& text);

    QPainter& m_painter;
    const ItemListGeometry& m_geometry;
    QColor m_background;
    QColor m_text;
    QColor m_line;
};
