#pragma once

#include "service/ToolTable.h"

#include <QRect>

#include <cstdint>
#include <functional>

class QWidget;

// The rectangle every tool window is created with; the editor's panel lays it out afterwards.
inline constexpr QRect kToolWindowRect(0, 0, 920, 680);

// The tool windows the entry can make, by the tool's row. Each tool's window library registers
// its own maker when the module loads, so the entry knows no window class; a tool without one (not
// built yet) gets no window, exactly like an unknown tool.
class WindowMakers
{
public:
    // Creates the window as a child of parent; it reports to the editor with message.
    using Maker = std::function<QWidget*(QWidget* parent, int message, int childId)>;

    // True, so that a registration can initialise a constant of the tool's library.
    static bool Register(ToolId tool, Maker maker);
    static void Unregister(ToolId tool);
    // The window with the child identifier of the tool's row, or null.
    static QWidget* Create(ToolId tool, QWidget* parent, int message);
};

// The maker of a tool window class constructed with its message number.
template <typename Window>
QWidget* MakeToolWindow(QWidget* parent, int message, int childId)
{
    auto* window = new Window(uint32_t(message));
    if (!window->Create(parent, kToolWindowRect, childId)) {
        delete window;
        return nullptr;
    }
    return window;
}
