// Start-up and shut-down of the loaded module: the loader runs these when the editor loads and
// unloads it, as the process attach and detach of the original platform.
#include "plugin/ModuleHandles.h"
#include "plugin/ModuleState.h"
#include "plugin/ToolWindows.h"

namespace {

__attribute__((constructor)) void OnModuleLoaded()
{
    // Fixes the instance handle and makes the images findable before any window asks for them.
    QOVGetAIGCDllHandle();
    ModuleState::Get();
    RegisterToolWindows();
}

} // namespace
