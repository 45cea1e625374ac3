#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the history list's columns, rows, thumbnails and add icon lie for one client size, row
// height and scroll position, and which row and part a point falls on. Rows are counted from 0.
class ItemListGeometry
{
public:
    static constexpr int kScrollBarWidth = 15;
    static constexpr int kNumberWidth = 30;
    static constexpr int kMinSourceWidth = 210;
    static constexpr int kIconSide = 20;
    static constexpr int kIconSlack = 2; // the icon answers clicks this far outside itself
    static constexpr int kTextInset = 3;
    static constexpr int kFileLineHeight = 20;

    enum HitKind { HitNone = 0, HitNumber = 1, HitSource = 2, HitResult = 3, HitAddIcon = 4 };

    struct Hit
    {
        int row = -1;
        int kind = HitNone;
    };

    ItemListGeometry(const QSize& client, int rowHeight, int scrollPos);

    // The drawn width: the client without the scroll bar.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int SourceWidth() const { return m_sourceWidth; }
    int ResultLeft() const { return kNumberWidth + m_sourceWidth; }

    int RowTop(int row) const { return row * m_rowHeight - m_scrollPos; }
    QRect RowRect(int row) const { return QRect(0, RowTop(row), m_width, m_rowHeight); }
    QRect NumberRect(int row) const { return QRect(0, RowTop(row), kNumberWidth, m_rowHeight); }
    QRect SourceRect(int row) const { return QRect(kNumberWidth, RowTop(row), m_sourceWidth, m_rowHeight); }
    QRect ResultRect(int row) const { return QRect(ResultLeft(), RowTop(row), m_width - ResultLeft(), m_rowHeight); }
    // Where the text of an entry without thumbnails may go.
    QRect ResultTextRect(int row) const;
    QRect ThumbnailRect(int row, int index) const;
    QRect IconRect(int row) const;

    // The first row that reaches into the window (may be past the last entry).
    int FirstVisibleRow() const;
    // True when row's top is inside the window, i.e. it is drawn.
    bool IsRowVisible(int row) const;

    // The row and part under point among rowCount rows; the add icon counts only while it shows.
    Hit HitTest(const QPoint& point, int rowCount, bool iconShown) const;

private:
    int m_width;
    int m_height;
    int m_rowHeight;
    int m_scrollPos;
    int m_sourceWidth;
};
