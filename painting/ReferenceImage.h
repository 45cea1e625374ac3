#pragma once

#include <QString>

// The reference image as the image service takes it: the file (BMP, JPG or PNG by its extension,
// compared without case) loaded, encoded as JPEG in memory and written as Base64. Empty when the
// extension is another one (".jpeg" included) or the file does not load.
QString ReferenceImageBase64(const QString& path);
