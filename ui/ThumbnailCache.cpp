#include "ui/ThumbnailCache.h"

#include "host/CZuBuffer.h"

ThumbnailCache::ThumbnailCache()
{
    m_buffers.reserve(17);
}

ThumbnailCache::~ThumbnailCache()
{
    Clear();
}

CZuBuffer* ThumbnailCache::GetBuffer(const QString& path)
{
    if (CZuBuffer* known = m_buffers.value(path, nullptr))
        return known;
    auto* buffer = new CZuBuffer(0xFFFFFFFF);
    if (!buffer->CreateFromFile(path)) {
        buffer->Release();
        if (!buffer->CreateFromFile(path)) {
            delete buffer;
            return nullptr;
        }
    }
    m_buffers.insert(path, buffer);
    return buffer;
}

void ThumbnailCache::Clear()
{
    qDeleteAll(m_buffers);
    m_buffers.clear();
}

