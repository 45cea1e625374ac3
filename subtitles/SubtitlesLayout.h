#pragma once

#include <QRect>
#include <QSize>

// Where the subtitles window's controls go: the tab strip across the top, the picture under it,
// then the model choice (tab B) or the account button (tab A) in one place, the start button
// with the status beside it, the history button and the selected file's name.
struct SubtitlesLayout
{
    QRect tab;
    QRect picture;
    QRect modelLabel, model;
    QRect userButton;
    QRect start;
    QRect status;
    QRect history;
    QRect selectedFile;

    // For a client area; widths never go below zero in a narrow window.
    static SubtitlesLayout For(const QSize& client);
};
