#pragma once

#include "plugin/ThumbnailCache.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CZuBuffer;

// What the module keeps for its whole life beside the task logs: the open dubbing and subtitles
// windows (for the editor's selection), the shared add-item image, the history dialog and the
// thumbnail cache. Touched on the user-interface thread only.
class ModuleState
{
public:
    static ModuleState& Get();

    QPointer<QWidget> dubbingWindow;
    QPointer<QWidget> subtitlesWindow;
    QPointer<QWidget> historyDialog;

    // Image resource 2000, loaded on first use; owned here until Release().
    CZuBuffer* AddItemImage();
    ThumbnailCache& Thumbnails();

    // Empties the four logs' records, then frees the add-item image, the history dialog and the
    // thumbnails; each comes back when used again.
    void Release();

private:
    ModuleState();
    ~ModuleState();

    std::unique_ptr<CZuBuffer> m_addItemImage;
    ThumbnailCache m_thumbnails;
};
