#pragma once

#include "service/QOVAIGCExport.h"

// The module's instance handle (its load address) and resource handle (the same module: its
// images are compiled into it).
QOVAIGC_API void* QOVGetAIGCDllHandle();
QOVAIGC_API void* QOVGetAIGCDllResHandle();
