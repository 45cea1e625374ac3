#pragma once

#include "plugin/ToolRegistry.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QUuid>

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

// Implemented by the windows that take the editor's current selection (dubbing and subtitles).
class ISelectionReceiver
{
public:
    virtual ~ISelectionReceiver() = default;
    // text: the selected text (dubbing) or media file (subtitles); properties: the editor's
    // property map (subtitles), may be null.
    virtual void SetSelection(const QString& text, const QUuid& selectedObject,
                              const QHash<QString, QString>* properties) = 0;
};
