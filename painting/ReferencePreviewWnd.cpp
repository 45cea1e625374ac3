#include "painting/ReferencePreviewWnd.h"

#include "host/CQOVDefUiSettings.h"

#include <QPainter>

void ReferencePreviewWnd::paintEvent(QPaintEvent* event)
{
    CZuBuffDisplayWnd::paintEvent(event);
    QPainter painter(this);
    painter.setPen(CQOVDefUiSettings::GetDefUiSettings().border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
