#include "plugin/ModuleState.h"

#include "service/TransLog.h"
#include "ui/SharedWindowState.h"

ModuleState& ModuleState::Get()
{
    static ModuleState state;
    return state;
}

void ModuleState::Release()
{
    GetSubtitlesLog().ClearItems();
    GetDubbingLog().ClearItems();
    GetPaintingLog().ClearItems();
    GetCopywritingLog().ClearItems();
    SharedWindowState::Get().Release();
}
