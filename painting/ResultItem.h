#pragma once

#include "host/CZuBuffer.h"
#include "host/ContainItem.h"

#include <QString>

// A thumbnail grid item for one result image: its path, its file name as the caption, and the
// decoded picture, which it owns; no picture when the file does not decode.
class ResultItem : public ContainItem
{
public:
    explicit ResultItem(const QString& file);

private:
    CZuBuffer m_picture{0xFFFFFFFFu};
};
