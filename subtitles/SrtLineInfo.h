#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

// One sentence recognised by the cloud recognition service.
struct SrtLineInfo
{
    utility::string_t text;
    int32_t begin = 0; // milliseconds from the start of the audio
    int32_t end = 0;
};
