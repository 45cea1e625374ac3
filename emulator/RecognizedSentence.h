#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A word the English recognizer heard, with its own times.
struct RecognizedWord {
    std::string text;
    std::int64_t beginMs = 0;
    std::int64_t endMs = 0;
};

// One sentence of a recording: where it lies and what was said in it.
struct RecognizedSentence {
    std::int64_t beginMs = 0;
    std::int64_t endMs = 0;
    std::string text;
    std::vector<RecognizedWord> words;  // English only
};
