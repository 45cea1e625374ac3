#pragma once

#include "service/QOVAIGCExport.h"

#include <QString>

// What a subtitle task's code means for the user: the file-transcription service's own numbers,
// the start failures -1 to -4 followed by a hint, and the hint alone for anything else.
QOVAIGC_API QString GetWavToTextErrorInfo(int code);
