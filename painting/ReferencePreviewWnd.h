#pragma once

#include "host/CZuBuffDisplayWnd.h"

// The reference picture's preview, framed so the square it may fill shows whatever the
// picture's shape.
class ReferencePreviewWnd : public CZuBuffDisplayWnd
{
public:
    using CZuBuffDisplayWnd::CZuBuffDisplayWnd;

protected:
    void paintEvent(QPaintEvent* event) override;
};
