#pragma once

#include "service/ToolTable.h"

#include <QPointer>
#include <QWidget>

#include <map>

// What the entry keeps for the module's whole life beside the task logs and the windows' shared
// state: the open windows of the tools that take the editor's selection. Touched on the
// user-interface thread only.
class ModuleState
{
public:
    static ModuleState& Get();

    std::map<ToolId, QPointer<QWidget>> selectionWindows;

    // Empties every tool's log records, then releases what the windows share; each comes back
    // when used again.
    void Release();

private:
    ModuleState() = default;
};
