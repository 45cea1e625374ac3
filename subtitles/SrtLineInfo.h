#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>
#include <vector>

// One sentence recognised by the cloud recognition service.
struct SrtLineInfo
{
    // A word of the sentence with its own times, where the service sends them.
    struct Word
    {
        utility::string_t text;
        int32_t begin = 0;
        int32_t end = 0;
    };

    utility::string_t text;
    int32_t begin = 0; // milliseconds from the start of the audio
    int32_t end = 0;
    std::vector<Word> words{}; // empty when the service sent none
};
