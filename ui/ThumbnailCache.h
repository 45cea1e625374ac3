#pragma once

#include <QHash>
#include <QString>

class CZuBuffer;

// Pixel buffers of result images by exact path, loaded on first request and kept until cleared,
// so the history list reads each thumbnail's file once. Owns its buffers.
class ThumbnailCache
{
public:
    ThumbnailCache();
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The buffer of path, loading it when new (a failed load is tried once more); none when the
    // file cannot be loaded, and then nothing is kept.
    CZuBuffer* GetBuffer(const QString& path);
    void Clear();
    qsizetype Count() const { return m_buffers.size(); }

private:
    QHash<QString, CZuBuffer*> m_buffers;
};
