#include "plugin/QOVAIGCFunc.h"

#include "host/QOVStringTable.h"
#include "plugin/AIGCTypes.h"
#include "plugin/ModuleState.h"
#include "service/ToolTable.h"
#include "ui/ISelectionReceiver.h"
#include "ui/WindowMakers.h"

#include <QHash>
#include <QWidget>

namespace {

void ListTools(AIGCToolInfoArray* tools)
{
    if (!tools)
        return;
    for (const ToolRow& row : ToolTable::Rows()) {
        AIGCToolInfo record;
        record.toolId = row.guid;
        record.displayName = ZuLoadString(QString::fromUtf8(row.nameKey));
        tools->append(record);
    }
}

void CreateWindow(const AIGCToolParam* param, AIGCToolParam* result)
{
    if (!param)
        return;
    const ToolRow* row = ToolTable::Find(param->toolId);
    if (!row)
        return;
    auto* parent = static_cast<QWidget*>(param->object);
    const int message = int(uint32_t(param->value & 0xFFFFFFFFu));
    QWidget* window = WindowMakers::Create(row->id, parent, message);
    if (!window)
        return;
    window->setGeometry(kToolWindowRect);
    window->show();
    if (row->selection != ToolSelection::None)
        ModuleState::Get().selectionWindows[row->id] = window;
    if (result)
        result->value = uint64_t(reinterpret_cast<uintptr_t>(window));
}

void DestroyWindow(const AIGCToolParam* param)
{
    if (!param)
        return;
    const ToolRow* row = ToolTable::Find(param->toolId);
    if (!row)
        return;
    ModuleState::Get().selectionWindows.erase(row->id);
    delete static_cast<QWidget*>(param->object);
}

void Select(const AIGCToolParam* param)
{
    if (!param)
        return;
    const ToolRow* row = ToolTable::Find(param->toolId);
    if (!row)
        return;
    const auto& windows = ModuleState::Get().selectionWindows;
    const auto found = windows.find(row->id);
    auto* receiver = dynamic_cast<ISelectionReceiver*>(found == windows.end() ? nullptr : found->second.data());
    if (!receiver)
        return;
    const auto* text = reinterpret_cast<const char16_t*>(uintptr_t(param->value));
    // Only the tools that take files get the editor's property map.
    const auto* properties = row->selection == ToolSelection::MediaFiles || row->selection == ToolSelection::Subtitles
                                 ? static_cast<const QHash<QString, QString>*>(param->object)
                                 : nullptr;
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
