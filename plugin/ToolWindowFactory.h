#pragma once

#include "plugin/ToolRegistry.h"

#include <QRect>

#include <functional>

class QWidget;

// The rectangle every tool window is created with; the editor's panel lays it out afterwards.
inline constexpr QRect kToolWindowRect(0, 0, 920, 680);

// Makes the tool windows the editor asks for. Each tool's window registers its maker here; a tool
// without one (not built yet) gets no window, exactly like an unknown tool.
class ToolWindowFactory
{
public:
    // Creates the window as a child of parent; it reports to the editor with message.
    using Maker = std::function<QWidget*(QWidget* parent, int message, int childId)>;

    static void Register(AigcTool tool, Maker maker);
    static void Unregister(AigcTool tool);
    static QWidget* Create(AigcTool tool, QWidget* parent, int message, int childId);
};
