#pragma once

#include "apps/studio/ModuleEntry.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>
#include <set>

class QWidget;

// Stands in for the module's entry: lists the four tools, makes plain child widgets as their
// windows (for the tools chosen), and records every command with what it carried at call time.
class RecordingModule
{
public:
    struct Call
    {
        int32_t command;
        QUuid tool;
        QUuid selectedObject;
        void* object = nullptr;
        int message = 0;
        QString text;
        std::optional<QHash<QString, QString>> properties;
    };

    static const QList<QUuid>& ToolIds();
    static const QStringList& ToolNames();

    // Tools by index that get a window; the others get none, as the module answers today.
    explicit RecordingModule(std::set<int> windowed = {0, 1, 2, 3});

    ModuleEntry Entry();
    QList<int32_t> Commands() const;
    QList<Call> calls;

private:
    int32_t Answer(int32_t command, void* param, void* result);

    std::set<int> m_windowed;
};
