#include "plugin/ToolWindowFactory.h"

#include <map>

namespace {

std::map<AigcTool, ToolWindowFactory::Maker>& Makers()
{
    static std::map<AigcTool, ToolWindowFactory::Maker> makers;
    return makers;
}

} // namespace

void ToolWindowFactory::Register(AigcTool tool, Maker maker)
{
    Makers()[tool] = std::move(maker);
}

void ToolWindowFactory::Unregister(AigcTool tool)
{
    Makers().erase(tool);
}

QWidget* ToolWindowFactory::Create(AigcTool tool, QWidget* parent, int message, int childId)
{
    const auto found = Makers().find(tool);
    return found == Makers().end() || !found->second ? nullptr : found->second(parent, message, childId);
}
