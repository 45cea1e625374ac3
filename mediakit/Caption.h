#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// One timed subtitle as a subtitle file holds it, and what the layout makes of it.
struct Caption
{
    // A recogniser's time for one spoken word; its text need not match the caption's punctuation.
    struct Word
    {
        QString text;
        int32_t start = 0;
        int32_t end = 0;
    };

    int index = 0;     // the number the file gave it; writers number captions afresh
    int32_t start = 0; // milliseconds
    int32_t end = 0;
    QString text;      // lines separated by '\n'
    std::vector<Word> words;
};
