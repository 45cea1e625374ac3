#include "history/ItemListPainter.h"

#include "history/TaskItemData.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace {

const QColor kSelectedText = Qt::white;

} // namespace

ItemListPainter::ItemListPainter(QPainter& painter, const ItemListGeometry& geometry, const QColor& background,
                                 const QColor& text)
    : m_painter(painter)
    , m_geometry(geometry)
    , m_background(background)
    , m_text(text)
    , m_line(CQOVDefUiSettings::GetDefUiSettings().line)
{
    m_painter.setPen(QPen(m_line, 1));
    m_painter.setBackgroundMode(Qt::TransparentMode);
}

void ItemListPainter::FillBackground()
{
    m_painter.fillRect(QRect(0, 0, m_geometry.Width(), m_geometry.Height()), m_background);
}

void ItemListPainter::DrawRow(int row, const TaskItemData& item, bool selected, const CZuBuffer* addIcon)
{
    m_painter.setPen(selected ? kSelectedText : m_text);
    m_painter.drawText(m_geometry.NumberRect(row), Qt::AlignCenter | Qt::TextSingleLine, QString::number(row + 1));
    const QRect source = m_geometry.SourceRect(row);
    DrawWrapped(source.adjusted(ItemListGeometry::kTextInset, 0, 0, 0), item.SrcInfo);
    if (!item.Thumbnails.isEmpty())
        DrawThumbnails(row, item);
    else
        DrawResultText(row, item);

    if (addIcon)
        addIcon->StretchBltToDC(&m_painter, m_geometry.IconRect(row), QRect(), 0);

    const QRect rect = m_geometry.RowRect(row);
    m_painter.setPen(QPen(m_line, 1));
    m_painter.drawLine(0, rect.bottom(), m_geometry.Width() - 1, rect.bottom());
}

void ItemListPainter::DrawThumbnails(int row, const TaskItemData& item)
{
    const QRect column = m_geometry.ResultRect(row);
    m_painter.save();
    m_painter.setClipRect(column);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (int i = 0; i < item.Thumbnails.size(); ++i) {
        const QRect square = m_geometry.ThumbnailRect(row, i);
        if (square.left() >= column.right())
            break; // the rest would be clipped away anyway
        const CZuBuffer* buffer = item.Thumbnails.at(i);
        if (!buffer->IsEmpty())
            m_painter.drawImage(square, buffer->Image());
        else
            buffer->StretchBltToDC(&m_painter, square, QRect(), 0);
        m_painter.setPen(QPen(m_line, 1));
        m_painter.drawRect(square.adjusted(0, 0, -1, -1));
    }
    m_painter.restore();
}

void ItemListPainter::DrawResultText(int row, const TaskItemData& item)
{
    const QRect area = m_geometry.ResultTextRect(row);
    if (item.TextLine.isEmpty()) {
        DrawWrapped(area, item.FileLine);
        return;
    }
    const int split = area.bottom() + 1 - ItemListGeometry::kFileLineHeight;
    DrawWrapped(QRect(area.left(), area.top(), area.width(), split - area.top()), item.TextLine);
    DrawWrapped(QRect(area.left(), split, area.width(), ItemListGeometry::kFileLineHeight), item.FileLine);
}

void ItemListPainter::DrawFrame(int rowCount)
{
    m_painter.setPen(QPen(m_line, 1));
    const int bottom = std::min(m_geometry.RowTop(rowCount), m_geometry.Height());
    const int left = ItemListGeometry::kNumberWidth;
    const int right = m_geometry.ResultLeft();
    if (bottom > 0) {
        m_painter.drawLine(left, 0, left, bottom - 1);
        m_painter.drawLine(right, 0, right, bottom - 1);
    }
    m_painter.drawRect(QRect(0, 0, m_geometry.Width(), m_geometry.Height()).adjusted(0, 0, -1, -1));
}

void ItemListPainter::DrawWrapped(const QRect& rect, const QString& text)
{
    if (text.isEmpty() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const QFontMetrics metrics(m_painter.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(text, m_painter.font());
    layout.setTextOption(option);
    layout.beginLayout();
    int y = rect.top();
    const int lineHeight = metrics.height();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        const bool lastThatFits = y + 2 * lineHeight > rect.bottom() + 1;
        const int end = line.textStart() + line.textLength();
        if (lastThatFits && end < text.size()) {
            // What does not fit any more ends in an ellipsis on the last line.
            const QString rest = metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, rect.width());
            m_painter.drawText(QRect(rect.left(), y, rect.width(), lineHeight), Qt::TextSingleLine, rest);
            break;
        }
        m_painter.drawText(QRect(rect.left(), y, rect.width(), lineHeight), Qt::TextSingleLine,
                           text.mid(line.textStart(), line.textLength()));
        y += lineHeight;
        if (lastThatFits)
            break;
    }
    layout.endLayout();
}
