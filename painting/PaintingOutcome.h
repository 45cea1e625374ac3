#pragma once

#include "painting/ImgRetData.h"

#include <QMetaType>
#include <QString>

#include <vector>

// What a finished painting task made: every image the service listed, each with the path it was
// downloaded to, and what went wrong on the way (images not downloaded, sub-tasks that failed).
struct PaintingOutcome
{
    std::vector<ImgRetData> results;
    QString notes;
};

Q_DECLARE_METATYPE(PaintingOutcome)
