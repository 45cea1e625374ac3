#pragma once

#include <cstdint>

// The voice both synthesis services are sent: the chosen voice's identifier, or 0 (the services'
// default voice) for an identifier below 1.
inline int32_t SpeechVoice(int32_t voice)
{
    return voice < 1 ? 0 : voice;
}
