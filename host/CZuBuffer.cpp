#include "host/CZuBuffer.h"

#include <QPainter>

CZuBuffer::CZuBuffer(uint32_t fill)
    : m_fill(fill)
{
}

int CZuBuffer::CreateFromImage(const QImage& image)
{
    if (image.isNull()) {
        Release();
        return 0;
    }
    m_image = image.convertToFormat(QImage::Format_ARGB32);
    return 1;
}

int CZuBuffer::CreateFromFile(const QString& path)
{
    return CreateFromImage(path.isEmpty() ? QImage() : QImage(path));
}

QString CZuBuffer::ResourcePath(int id, const QString& type)
{
    return QStringLiteral(":/qovaigc/%1.%2").arg(id).arg(type.toLower());
}

int CZuBuffer::CreateFromImageResource(const void* /*module*/, int id, const QString& type)
{
    return CreateFromImage(QImage(ResourcePath(id, type)));
}

void CZuBuffer::Release()
{
    m_image = QImage();
}

void CZuBuffer::StretchBltToDC(QPainter* dc, const QRect& dest, const QRect& src, int flags) const
{
    if (!dc || m_image.isNull() || dest.isEmpty())
        return;
    const QRect source = src.isEmpty() ? m_image.rect() : src.intersected(m_image.rect());
    if (source.isEmpty())
        return;
    const bool smooth = flags == 0;
    const bool wasSmooth = dc->testRenderHint(QPainter::SmoothPixmapTransform);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    dc->drawImage(dest, m_image, source);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

