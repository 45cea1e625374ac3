#include "ControlTestImages.h"

#include "host/CZuBuffer.h"

#include <QImage>
#include <QTemporaryDir>

std::unique_ptr<CZuBuffer> MakeSolidBuffer(const QSize& size, const QColor& color)
{
    QTemporaryDir dir;
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = dir.filePath(QStringLiteral("solid.png"));
    auto buffer = std::make_unique<CZuBuffer>();
    if (!image.save(path) || !buffer->CreateFromFile(path))
        return nullptr;
    return buffer;
}
