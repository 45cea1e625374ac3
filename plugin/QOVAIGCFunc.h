#pragma once

#include "service/QOVAIGCExport.h"

#include <cstdint>

// Commands of the editor's entry call.
enum AigcCommand : int32_t {
    AIGC_LIST_TOOLS = 1,      // result: AIGCToolInfoArray* to append the tools to
    AIGC_RELEASE = 2,         // before unloading, after every tool window is destroyed
    AIGC_CREATE_WINDOW = 4,   // param: AIGCToolParam*, result: AIGCToolParam* receiving the window
    AIGC_DESTROY_WINDOW = 5,  // param: AIGCToolParam*
    AIGC_SELECT = 7,          // param: AIGCToolParam* with the editor's selection
};

// The module's entry, called on the editor's user-interface thread. 0 for a known command, 1 for
// any other.
extern "C" QOVAIGC_API int32_t QOVAIGCFunc(int32_t command, void* param, void* result);
