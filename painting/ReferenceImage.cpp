#include "painting/ReferenceImage.h"

#include "host/QOVFileName.h"
#include "host/ZBase64.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace {

const char* FormatOf(const QString& path)
{
    const QString extension = ZuGetFileExt(path).toLower();
    return extension == QLatin1String("bmp")   ? "BMP"
           : extension == QLatin1String("jpg") ? "JPG"
           : extension == QLatin1String("png") ? "PNG"
                                               : nullptr;
}

} // namespace

bool IsReferenceImageSent(const QString& path)
{
    return FormatOf(path) != nullptr;
}

QString ReferenceImageBase64(const QString& path)
{
    // An empty path has no extension, so no format either.
    const char* format = FormatOf(path);
    if (!format)
        return QString();
    const QImage image(path, format);
    if (image.isNull())
        return QString();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    if (!writer.write(image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : image))
        return QString();
    return ZBase64::Encode(reinterpret_cast<const unsigned char*>(jpeg.constData()), int(jpeg.size()));
}
