#include "host/CQOVPiecewiseLinearBar.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kThemedThumbWidth = 12;
constexpr int kThemedTrackHeight = 4;
} // namespace

CQOVPiecewiseLinearBar::CQOVPiecewiseLinearBar(QWidget* parent, int id)
    : ChildControl(id, Qt::Horizontal, parent)
{
    setRange(0, 0);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!m_quiet)
            emit sliderChanged(m_id, value);
    });
}

void CQOVPiecewiseLinearBar::AddValuePair(int position, double value)
{
    m_map.Add(position, value);
    SetRangeQuietly();
}

void CQOVPiecewiseLinearBar::RemoveAllValuePair()
{
    m_map.Clear();
    SetRangeQuietly();
}

void CQOVPiecewiseLinearBar::SetRangeQuietly()
{
    QScopedValueRollback quiet(m_quiet, true);
    setRange(m_map.FirstPosition(), m_map.LastPosition());
    update();
}

void CQOVPiecewiseLinearBar::SetCurrentValue(double value)
{
    QScopedValueRollback quiet(m_quiet, true);
    setValue(m_map.PositionOf(value));
    update();
}

void CQOVPiecewiseLinearBar::SetImages(const CZuBuffer* track, const CZuBuffer* thumb)
{
    m_track = track;
    m_thumb = thumb;
    update();
}

void CQOVPiecewiseLinearBar::SetBkImage(const CZuBuffer* image)
{
    m_background = image;
    update();
}

void CQOVPiecewiseLinearBar::SetEdgeWidth(int left, int right)
{
    m_edge = std::max(0, left);
    m_rightEdge = std::max(0, right);
    update();
}

void CQOVPiecewiseLinearBar::SetSliderSize(int width, int height)
{
    m_sliderSize = QSize(std::max(0, width), std::max(0, height));
    update();
}

QSize CQOVPiecewiseLinearBar::ThumbSize() const
{
    if (m_thumb && !m_thumb->IsEmpty())
        return QSize(m_thumb->GetWidth(), m_thumb->GetHeight());
    return m_sliderSize.isEmpty() ? QSize(kThemedThumbWidth, height()) : m_sliderSize;
}

int CQOVPiecewiseLinearBar::TravelStart() const
{
    return m_edge + ThumbSize().width() / 2;
}

int CQOVPiecewiseLinearBar::TravelLength() const
{
    return std::max(0, width() - m_edge - m_rightEdge - ThumbSize().width());
}

QRect CQOVPiecewiseLinearBar::ThumbRect() const
{
    const int span = maximum() - minimum();
    const double t = span > 0 ? double(value() - minimum()) / span : 0.0;
    const int centre = TravelStart() + int(std::lround(t * TravelLength()));
    const QSize thumb = ThumbSize();
    const int thumbHeight = std::min(thumb.height(), height());
    return QRect(centre - thumb.width() / 2, (height() - thumbHeight) / 2, thumb.width(), thumbHeight);
}

int CQOVPiecewiseLinearBar::PositionAt(int x) const
{
    const int length = TravelLength();
    if (length <= 0)
        return minimum();
    const double t = std::clamp(double(x - TravelStart()) / length, 0.0, 1.0);
    return minimum() + int(std::lround(t * (maximum() - minimum())));
}

void CQOVPiecewiseLinearBar::paintEvent(QPaintEvent*)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), ui.background);
    const QRect thumb = ThumbRect();
    const QRect travel(m_edge, 0, std::max(0, width() - m_edge - m_rightEdge), height());
    if (m_background && !m_background->IsEmpty()) {
        // The picture is the track: a scale under a thin marker.
        m_background->StretchBltToDC(&painter, rect(), QRect(), 0);
    } else if (m_track && !m_track->IsEmpty()) {
        const int h = std::min(m_track->GetHeight(), height());
        m_track->StretchBltToDC(&painter, QRect(travel.left(), (height() - h) / 2, travel.width(), h), QRect(), 0);
    } else {
        const QRect groove(travel.left(), (height() - kThemedTrackHeight) / 2, travel.width(), kThemedTrackHeight);
        painter.fillRect(groove, ui.line);
        painter.fillRect(QRect(groove.topLeft(), QPoint(thumb.center().x(), groove.bottom())),
                         isEnabled() ? ui.accent : ui.disabledText);
    }
    if (m_thumb && !m_thumb->IsEmpty()) {
        m_thumb->StretchBltToDC(&painter, thumb, QRect(), 0);
    } else if (!m_sliderSize.isEmpty()) {
        // A thin marker: at least two pixels, so that it shows.
        const QRect marker = thumb.adjusted(0, 0, std::max(0, 2 - thumb.width()), 0);
        painter.fillRect(marker.translated(-(marker.width() - thumb.width()) / 2, 0),
                         isEnabled() ? ui.accent : ui.disabledText);
    } else {
        const int d = std::min(thumb.width(), thumb.height());
        painter.setPen(ui.border);
        painter.setBrush(isEnabled() ? ui.text : ui.disabledText);
        painter.drawEllipse(QRect(thumb.center().x() - d / 2, thumb.center().y() - d / 2, d, d));
    }
}

void CQOVPiecewiseLinearBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || minimum() == maximum()) {
        event->ignore();
        return;
    }
    setSliderDown(true);
    setValue(PositionAt(event->position().toPoint().x()));
    event->accept();
}

void CQOVPiecewiseLinearBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setValue(PositionAt(event->position().toPoint().x()));
    event->accept();
}

void CQOVPiecewiseLinearBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (isSliderDown())
        setSliderDown(false);
    event->accept();
}
