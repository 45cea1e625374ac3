#pragma once

#include <QString>

#include <cpprest/details/basic_types.h>

#include <cstdint>

namespace nsWtt {

// One sentence of the file-transcription service.
struct stWavResult
{
    int32_t begin = 0; // milliseconds from the start of the audio
    int32_t end = 0;
    utility::string_t text;
    QString textCopy; // the same text; the subtitle writer uses this one
    int32_t further = 0;
    int32_t speaker = 0; // the speaker number the service gives
};

} // namespace nsWtt
