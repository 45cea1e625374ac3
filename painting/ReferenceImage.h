#pragma once

#include <QString>

// The reference image as the image service takes it: the file (BMP, JPG or PNG by its extension,
// compared without case) loaded, encoded as JPEG in memory and written as Base64. Empty when the
// extension is another one (".jpeg" included) or the file does not load.
QString ReferenceImageBase64(const QString& path);
// Whether a reference image of this file name is sent at all: its extension is one of the three.
bool IsReferenceImageSent(const QString& path);
