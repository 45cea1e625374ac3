#pragma once

#include "host/CZuBuffer.h"

#include <QString>

#include <cstdint>

// One voice of the voice library, in file order; owned by the window that read the library.
struct VoiceInfo
{
    int32_t basic = 0;
    QString name;                    // line breaks restored
    CZuBuffer preview{0xFFFFFFFFu};  // empty when the picture is missing or unreadable
    int32_t id = -1;                 // sent to the synthesis service
    QString audio;                   // the sample's path (the library folder when none is named)
};
