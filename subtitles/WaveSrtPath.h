#pragma once

#include "service/QOVAIGCExport.h"

#include <QString>

// "<folder>/<source name>_<first frame>_<last frame><extension>", the frames being start and end
// in the project's frame rate, rounded; when that file exists, the first free
// "<folder>/<name>_<first>_<last>_<n><extension>" from n = 1.
QOVAIGC_API QString GetWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start,
                                   float end);

// The same name, taken at once by an empty file (the folder made when missing), so that two tasks
// that pick a name before either has written it get one each.
QString ReserveWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start,
                           float end);
