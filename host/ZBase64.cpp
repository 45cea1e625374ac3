#include "host/ZBase64.h"

#include <QByteArray>

QString ZBase64::Encode(const unsigned char* data, int length)
{
    if (!data || length <= 0)
        return QString();
    return QString::fromLatin1(QByteArray::fromRawData(reinterpret_cast<const char*>(data), length).toBase64());
}
