#pragma once

#include <QRect>
#include <QSize>

// Where the painting window's controls go. One column scrolls as a whole: the description, the
// ratio and style selectors, count and reference image, then the generate button with its status,
// and the thumbnail grid at the bottom. The scroll bar stands along the right edge.
struct PaintingLayout
{
    static constexpr int kScrollBarWidth = 15;
    static constexpr int kMinimumPage = 60;
    static constexpr int kLineStep = 30;
    // Everything but the two selectors, from the top to below the thumbnail grid.
    static constexpr int kFixedContent = 650;
    static constexpr int kPreviewSide = 100;

    QRect descriptionLabel, description;
    QRect ratioLabel, ratios;
    QRect styleLabel, styles;
    QRect countLabel, count, downloadFolder;
    QRect referenceLabel, referencePath, browse;
    QRect preview; // empty while no reference picture is shown
    QRect generate, status;
    QRect history, refresh, sizeSlider;
    QRect grid;
    QRect scrollBar;

    // For a client area, the selectors' content heights, the scroll position and whether the
    // reference picture is shown.
    static PaintingLayout For(const QSize& client, int ratioHeight, int styleHeight, int scrollPos, bool previewShown);
    // The width the selectors flow their tiles in.
    static int SelectorWidth(int clientWidth);
    // How far the column reaches, which the scroll range covers.
    static int ContentHeight(int clientWidth, int ratioHeight, int styleHeight, bool previewShown);
};
