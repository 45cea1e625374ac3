#pragma once

#include <QRect>

// Where the dubbing window's controls go. Everything stands in one column that scrolls: the voice
// grid on top, four rows of settings under it, then the start button with the status line, the
// history button and the selected text.
struct DubbingLayout
{
    static constexpr int kScrollBarWidth = 15;
    // The column without the grid: the settings rows, buttons and the selected text's minimum.
    static constexpr int kColumnBelowGrid = 260;
    static constexpr int kMinimumPage = 60;
    static constexpr int kLineStep = 30;
    // The grid is laid out this much narrower than the column.
    static constexpr int kGridInset = 40;

    QRect voiceLabel;
    QRect grid;
    QRect speedLabel, speed;
    QRect pitchLabel, pitch;
    QRect volumeLabel, volume; // both volume sliders
    QRect typeLabel, type, downloadFolder;
    QRect start;
    QRect status;
    QRect history;
    QRect selectedText;
    QRect scrollBar;

    // For a client area, the grid's content height, the scroll position and whether the scroll
    // bar is shown.
    static DubbingLayout For(const QSize& client, int gridHeight, int scrollPos, bool scrollShown);
    // The width the grid's tiles are flowed in.
    static int GridWidth(int clientWidth, bool scrollShown)
    {
        return clientWidth - kGridInset - (scrollShown ? kScrollBarWidth : 0);
    }
};
