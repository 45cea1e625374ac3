#pragma once

#include "ui/ThumbnailCache.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CZuBuffer;

// What the tool windows and the history dialog share for the module's whole life: the single
// history dialog, the add-item image and the thumbnail cache. Touched on the user-interface thread
// only; the entry releases it when the editor lets the module go.
class SharedWindowState
{
public:
    static SharedWindowState& Get();

    QPointer<QWidget> historyDialog;

    // Image resource 2000, loaded on first use; owned here until Release().
    CZuBuffer* AddItemImage();
    ThumbnailCache& Thumbnails() { return m_thumbnails; }

    // Frees the add-item image, the history dialog and the thumbnails; each comes back when used
    // again.
    void Release();

private:
    SharedWindowState();
    ~SharedWindowState();

    std::unique_ptr<CZuBuffer> m_addItemImage;
    ThumbnailCache m_thumbnails;
};
