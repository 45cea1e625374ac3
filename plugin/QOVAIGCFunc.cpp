#include "plugin/QOVAIGCFunc.h"

#include "host/QOVStringTable.h"
#include "plugin/AIGCTypes.h"
#include "plugin/ModuleState.h"
#include "plugin/ToolRegistry.h"
#include "plugin/ToolWindowFactory.h"
#include "ui/ISelectionReceiver.h"

#include <QHash>
#include <QWidget>

namespace {

void ListTools(AIGCToolInfoArray* tools)
{
    if (!tools)
        return;
    for (const ToolEntry& entry : ToolRegistry::Entries()) {
        AIGCToolInfo record;
        record.toolId = entry.guid;
        record.displayName = ZuLoadString(QString::fromUtf8(entry.nameKey));
        tools->append(record);
    }
}

void CreateWindow(const AIGCToolParam* param, AIGCToolParam* result)
{
    if (!param)
        return;
    const ToolEntry* entry = ToolRegistry::Find(param->toolId);
    if (!entry)
        return;
    auto* parent = static_cast<QWidget*>(param->object);
    const int message = int(uint32_t(param->value & 0xFFFFFFFFu));
    QWidget* window = ToolWindowFactory::Create(entry->tool, parent, message, entry->childId);
    if (!window)
        return;
    window->setGeometry(kToolWindowRect);
    window->show();
    if (entry->tool == AigcTool::Dubbing)
        ModuleState::Get().dubbingWindow = window;
    else if (entry->tool == AigcTool::Subtitles)
        ModuleState::Get().subtitlesWindow = window;
    if (result)
        result->value = uint64_t(reinterpret_cast<uintptr_t>(window));
}

void DestroyWindow(const AIGCToolParam* param)
{
    if (!param)
        return;
    const ToolEntry* entry = ToolRegistry::Find(param->toolId);
    if (!entry)
        return;
    ModuleState& state = ModuleState::Get();
    if (entry->tool == AigcTool::Dubbing)
        state.dubbingWindow.clear();
    else if (entry->tool == AigcTool::Subtitles)
        state.subtitlesWindow.clear();
    delete static_cast<QWidget*>(param->object);
}

void Select(const AIGCToolParam* param)
{
    if (!param)
        return;
    const ToolEntry* entry = ToolRegistry::Find(param->toolId);
    if (!entry)
        return;
    QWidget* window = entry->tool == AigcTool::Dubbing     ? ModuleState::Get().dubbingWindow.data()
                      : entry->tool == AigcTool::Subtitles ? ModuleState::Get().subtitlesWindow.data()
                                                           : nullptr;
    auto* receiver = dynamic_cast<ISelectionReceiver*>(window);
    if (!receiver)
        return;
    const auto* text = reinterpret_cast<const char16_t*>(uintptr_t(param->value));
    const auto* properties =
        entry->tool == AigcTool::Subtitles ? static_cast<const QHash<QString, QString>*>(param->object) : nullptr;
    receiver->SetSelection(text ? QString::fromUtf16(text) : QString(), param->selectedObject, properties);
}

} // namespace

int32_t QOVAIGCFunc(int32_t command, void* param, void* result)
{
    switch (command) {
    case AIGC_LIST_TOOLS:
        ListTools(static_cast<AIGCToolInfoArray*>(result));
        return 0;
    case AIGC_RELEASE:
        ModuleState::Get().Release();
        return 0;
    case AIGC_CREATE_WINDOW:
        CreateWindow(static_cast<const AIGCToolParam*>(param), static_cast<AIGCToolParam*>(result));
        return 0;
    case AIGC_DESTROY_WINDOW:
        DestroyWindow(static_cast<const AIGCToolParam*>(param));
        return 0;
    case AIGC_SELECT:
        Select(static_cast<const AIGCToolParam*>(param));
        return 0;
    default:
        return 1;
    }
}
