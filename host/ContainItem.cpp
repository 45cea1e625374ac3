#include "host/ContainItem.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffDisplayWnd.h"
#include "host/CZuBuffer.h"

#include <QFileInfo>
#include <QPainter>

namespace {
constexpr qreal kTileRadius = 4.0;
constexpr int kTilePadding = 3;
} // namespace

void ContainItem::DrawPreview(QPainter& painter, const QRect& rect)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected ? ui.selectedTile : ui.tile);
    painter.drawRoundedRect(rect, kTileRadius, kTileRadius);
    if (thumbnail && !thumbnail->IsEmpty()) {
        const QRect inner = rect.adjusted(kTilePadding, kTilePadding, -kTilePadding, -kTilePadding);
        const QRect target =
            CZuBuffDisplayWnd::FitRect(QSize(thumbnail->GetWidth(), thumbnail->GetHeight()), inner);
        thumbnail->StretchBltToDC(&painter, target, QRect(), 0);
    }
    painter.restore();
}

QString ContainItem::DisplayName() const
{
    return name.isEmpty() ? QFileInfo(path).fileName() : name;
}
