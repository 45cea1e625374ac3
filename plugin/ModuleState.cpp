#include "plugin/ModuleState.h"

#include "service/TaskRun.h"
#include "service/TransLog.h"
#include "ui/SharedWindowState.h"

ModuleState& ModuleState::Get()
{
    static ModuleState state;
    return state;
}

void ModuleState::Release()
{
    // Tool windows stop their tasks without waiting; before the module goes, every run has ended.
    TaskRun::WaitForAll(std::chrono::seconds(5));
    for (const ToolRow& row : ToolTable::Rows())
        GetToolLog(row.id).ClearItems();
    SharedWindowState::Get().Release();
}
