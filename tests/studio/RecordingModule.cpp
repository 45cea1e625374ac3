#include "RecordingModule.h"

#include "plugin/QOVAIGCFunc.h"

#include <QWidget>

const QList<QUuid>& RecordingModule::ToolIds()
{
    static const QList<QUuid> ids{
        QUuid::fromString(QStringLiteral("{69821F54-CEB3-4599-BC69-F6CC32AA25CF}")),
        QUuid::fromString(QStringLiteral("{EAC20D41-0AEB-4CE6-956C-97AC89944B9A}")),
        QUuid::fromString(QStringLiteral("{7CF60C8A-F809-4C54-91D8-12EE7F6539CD}")),
        QUuid::fromString(QStringLiteral("{0B96C2D8-03B7-4272-920E-5AEA31E27E1D}")),
        QUuid::fromString(QStringLiteral("{3D5E8A17-6C42-4B9F-A17E-25D09B4C81F3}")),
    };
    return ids;
}

const QStringList& RecordingModule::ToolNames()
{
    static const QStringList names{QStringLiteral("AI 绘画"), QStringLiteral("AI 配音"), QStringLiteral("AI 字幕"),
                                   QStringLiteral("AI 文案"), QStringLiteral("AI 翻译")};
    return names;
}

RecordingModule::RecordingModule(std::set<int> windowed)
    : m_windowed(std::move(windowed))
{
}

ModuleEntry RecordingModule::Entry()
{
    return ModuleEntry([this](int32_t command, void* param, void* result) { return Answer(command, param, result); });
}

QList<int32_t> RecordingModule::Commands() const
{
    QList<int32_t> commands;
    for (const Call& call : calls)
        commands.append(call.command);
    return commands;
}

int32_t RecordingModule::Answer(int32_t command, void* param, void* result)
{
    Call call{command, {}, {}, nullptr, 0, {}, std::nullopt};
    const auto* in = static_cast<const AIGCToolParam*>(param);
    if (in) {
        call.tool = in->toolId;
        call.selectedObject = in->selectedObject;
        call.object = in->object;
    }
    switch (command) {
    case AIGC_LIST_TOOLS:
        for (int i = 0; i < ToolIds().size(); ++i) {
            AIGCToolInfo tool;
            tool.toolId = ToolIds()[i];
            tool.displayName = ToolNames()[i];
            static_cast<AIGCToolInfoArray*>(result)->append(tool);
        }
        break;
    case AIGC_CREATE_WINDOW:
        call.message = int(in->value);
        if (m_windowed.count(int(ToolIds().indexOf(in->toolId))))
            static_cast<AIGCToolParam*>(result)->value = uintptr_t(new QWidget(static_cast<QWidget*>(in->object)));
        break;
    case AIGC_DESTROY_WINDOW:
        delete static_cast<QWidget*>(in->object);
        break;
    case AIGC_RELEASE:
        break;
    case AIGC_SELECT:
        call.text = QString::fromUtf16(reinterpret_cast<const char16_t*>(uintptr_t(in->value)));
        if (in->object)
            call.properties = *static_cast<const QHash<QString, QString>*>(in->object);
        break;
    default:
        return 1;
    }
    calls.append(call);
    return 0;
}
