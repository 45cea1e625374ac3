#pragma once

#include <QList>
#include <QSize>
#include <QStringList>

class CQOVContainWnd;
class CQOVPiecewiseLinearBar;
class CZuBuffer;
class ContainItem;
class QWidget;

// The thumbnail grid of a generation's results with its size slider. The items, one per image
// that passed review, hold their decoded pictures and belong here; the grid shows the list.
class ResultThumbnails
{
public:
    // The slider stands for thumbnail widths from 20 to 400 pixels.
    static constexpr int kSmallestWidth = 20;
    static constexpr int kLargestWidth = 400;
    static constexpr int kDefaultWidth = 200;
    // Below this thumbnail width the grid lists the images instead.
    static constexpr int kListBelowWidth = 36;
    // Room under each thumbnail for its file name.
    static constexpr int kCaptionHeight = 20;

    ResultThumbnails() = default;
    ~ResultThumbnails();
    ResultThumbnails(const ResultThumbnails&) = delete;
    ResultThumbnails& operator=(const ResultThumbnails&) = delete;

    // Makes the grid and the slider as children of parent. The grid reports double-click and drag
    // of an item with itemMessage and draws addImage (borrowed) on the hovered tile.
    void Create(QWidget* parent, int gridId, int sliderId, int itemMessage, const CZuBuffer* addImage);
    // Replaces the items with one per path, in order, at the slider's width. The first picture
    // that decodes sets the aspect factor. Returns how many files did not decode.
    int Show(const QStringList& paths);
    // Follows the slider: sizes the tiles, and lists the images below the smallest tile width.
    void Resize();
    // Empties the grid and frees the items.
    void Clear();

    // The thumbnail width the slider stands at.
    int Width() const;
    // A tile for a width: the picture's height by the aspect factor, plus the caption.
    static QSize ItemSize(int width, float aspect);

    CQOVContainWnd* Grid() const { return m_grid; }
    CQOVPiecewiseLinearBar* Slider() const { return m_slider; }
    const QList<ContainItem*>& Items() const { return m_items; }
    float Aspect() const { return m_aspect; }
    bool IsListMode() const { return m_listMode; }

private:
    CQOVContainWnd* m_grid = nullptr;
    CQOVPiecewiseLinearBar* m_slider = nullptr;
    QList<ContainItem*> m_items;
    float m_aspect = 1.0f;
    bool m_listMode = false;
};
