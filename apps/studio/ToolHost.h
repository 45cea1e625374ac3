#pragma once

#include "apps/studio/ModuleEntry.h"
#include "plugin/AIGCTypes.h"
#include "service/ToolTable.h"

#include <QPointer>
#include <QUuid>

class ResultInbox;
class ToolPanel;
struct ProjectSelection;

// Opens the module's tool windows in the panel one at a time, hands them the selection and
// closes them. Each tool gets a message number of its own, routed to the result inbox.
class ToolHost
{
public:
    // The first tool's message number; a Qt user event type, as every tool message must be.
    static constexpr int kFirstMessage = 0x6001;
    static const QString& Placeholder();

    ToolHost(const ModuleEntry& module, ToolPanel& panel, ResultInbox& inbox);
    ToolHost(const ToolHost&) = delete;
    ToolHost& operator=(const ToolHost&) = delete;

    const AIGCToolInfoArray& Tools() const { return m_tools; }
    // Where the module lists the tool, or -1 when it has none.
    int IndexOf(ToolId tool) const;
    // The module's name for the tool; empty when it has none.
    QString Name(ToolId tool) const;
    // Closes the open tool, then opens tools[index] (or nothing for an index out of range).
    void Open(int index, const ProjectSelection& selection);
    void Close();
    int Current() const { return m_current; }
    // Passes the selection to the open window in the form its tool's row takes, if any.
    void HandOver(const ProjectSelection& selection) const;
    // Whether the open window takes the subtitle file chosen in the bin.
    bool TakesSubtitles() const;
    // Closes the open window, then releases the module; once only.
    void Shutdown();

private:
    const ModuleEntry& m_module;
    ToolPanel& m_panel;
    AIGCToolInfoArray m_tools;
    int m_current = -1;
    bool m_windowCreated = false;
    QPointer<QWidget> m_window;
    bool m_released = false;
};
