#include "ui/WindowMakers.h"

#include <map>

namespace {

// Filled while the module loads, before any window command; read on the user-interface thread.
std::map<ToolId, WindowMakers::Maker>& Makers()
{
    static std::map<ToolId, WindowMakers::Maker> makers;
    return makers;
}

} // namespace

bool WindowMakers::Register(ToolId tool, Maker maker)
{
    Makers()[tool] = std::move(maker);
    return true;
}

void WindowMakers::Unregister(ToolId tool)
{
    Makers().erase(tool);
}

QWidget* WindowMakers::Create(ToolId tool, QWidget* parent, int message)
{
    const auto found = Makers().find(tool);
    if (found == Makers().end() || !found->second)
        return nullptr;
    return found->second(parent, message, ToolTable::Of(tool).childId);
}
