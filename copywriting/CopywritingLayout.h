#pragma once

#include <QRect>

// Where the copywriting window's controls go for a client area of width x height: the topic
// above, the generated text four times its height below, the buttons between and under them.
struct CopywritingLayout
{
    QRect topicLabel;
    QRect topic;
    QRect start;
    QRect history;
    QRect output;
    QRect fontSizeLabel;
    QRect fontSize;
    QRect putOnTrack;
    QRect exportText;

    static CopywritingLayout For(int width, int height);
};
