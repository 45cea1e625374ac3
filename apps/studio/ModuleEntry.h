#pragma once

#include "plugin/AIGCTypes.h"

#include <QHash>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

// The editor's side of the module's single entry call. The function is injectable so that tests
// can observe the commands the studio issues without loading anything.
class ModuleEntry
{
public:
    using Function = std::function<int32_t(int32_t command, void* param, void* result)>;

    explicit ModuleEntry(Function function);

    // Opens the shared module at path and resolves its entry. The module is never closed again:
    // the libraries it pulls in stay mapped, so unloading would gain nothing and risk much.
    static std::optional<ModuleEntry> Load(const QString& path, QString* error);
    // The module built beside the program: <program dir>/../lib/libQOVAIGC.so.
    static QString DefaultPath();

    AIGCToolInfoArray ListTools() const;
    // The tool's window as a child of parent, or null when the module makes none for the tool.
    QWidget* CreateWindow(const QUuid& tool, QWidget* parent, int message) const;
    void DestroyWindow(const QUuid& tool, QWidget* window) const;
    // Hands over the selected object with its text (or media path) and an optional property map.
    void Select(const QUuid& tool, const QUuid& object, const QString& text,
                const QHash<QString, QString>* properties) const;
    void Release() const;

private:
    Function m_function;
};
