#pragma once

#include <QPointer>
#include <QWidget>

// What the entry keeps for the module's whole life beside the task logs and the windows' shared
// state: the open dubbing and subtitles windows, which take the editor's selection. Touched on the
// user-interface thread only.
class ModuleState
{
public:
    static ModuleState& Get();

    QPointer<QWidget> dubbingWindow;
    QPointer<QWidget> subtitlesWindow;

    // Empties the four logs' records, then releases what the windows share; each comes back when
    // used again.
    void Release();

private:
    ModuleState() = default;
};
