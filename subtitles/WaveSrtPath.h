#pragma once

#include "service/QOVAIGCExport.h"

#include <QString>

// "<folder>/<source name>_<first frame>_<last frame><extension>", the frames being start and end
// in the project's frame rate, rounded; when that file exists, the first free
// "<folder>/<name>_<first>_<last>_<n><extension>" from n = 1.
QOVAIGC_API QString GetWaveSrtPath(const QString& source, const QString& extension, const QString& folder, float start,
                                   float end);
