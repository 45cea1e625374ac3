#include "dubbing/SpeechVoice.h"

int32_t SpeechVoice(int32_t voice)
{
    return voice < 1 ? 0 : voice;
}
