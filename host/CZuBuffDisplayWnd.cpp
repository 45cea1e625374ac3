#include "host/CZuBuffDisplayWnd.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QPainter>

CZuBuffDisplayWnd::CZuBuffDisplayWnd(QWidget* parent, int id)
    : ChildControl(id, parent)
{
}

void CZuBuffDisplayWnd::SetDisplayBuffer(const CZuBuffer* buffer)
{
    m_buffer = buffer;
    update();
}

QRect CZuBuffDisplayWnd::FitRect(const QSize& source, const QRect& bounds)
{
    if (source.isEmpty() || bounds.isEmpty())
        return QRect();
    const QSize fitted = source.scaled(bounds.size(), Qt::KeepAspectRatio);
    QRect result(QPoint(0, 0), fitted);
    result.moveCenter(bounds.center());
    return result;
}

void CZuBuffDisplayWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), CQOVDefUiSettings::GetDefUiSettings().background);
    if (!m_buffer || m_buffer->IsEmpty())
        return;
    const QRect target = FitRect(QSize(m_buffer->GetWidth(), m_buffer->GetHeight()), rect());
    m_buffer->StretchBltToDC(&painter, target, QRect(), 0);
}
