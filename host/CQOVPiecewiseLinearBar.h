#pragma once

#include "host/ChildControl.h"

#include "host/PiecewiseLinearMap.h"

#include <QSlider>

class CZuBuffer;

// A horizontal slider whose positions stand for values through (position, value) pairs, so a
// short stretch of the bar can cover a wide range of values. The range of positions runs from
// the first pair to the last. User changes are reported with the child identifier and the new
// position (the original's 0x401 notification); programmatic changes stay silent.
class CQOVPiecewiseLinearBar : public ChildControl<QSlider>
{
    Q_OBJECT

public:
    explicit CQOVPiecewiseLinearBar(QWidget* parent = nullptr, int id = 0);

    void AddValuePair(int position, double value);
    void RemoveAllValuePair();
    void SetCurrentValue(double value);
    double GetCurrentValue() const { return m_map.ValueAt(value()); }
    const PiecewiseLinearMap& Map() const { return m_map; }

    // Images are not owned and must outlive the bar; null means themed drawing.
    void SetImages(const CZuBuffer* track, const CZuBuffer* thumb);
    // Drawn behind the whole bar (a scale, say); not owned; null for none.
    void SetBkImage(const CZuBuffer* image);
    // Pixels left free at each end of the track: the same at both, or left and right apart.
    void SetEdgeWidth(int width) { SetEdgeWidth(width, width); }
    void SetEdgeWidth(int left, int right);
    int GetEdgeWidth() const { return m_edge; }
    // The thumb's size when no thumb image is set (0 by 0: the theme's round thumb).
    void SetSliderSize(int width, int height);

    // Where the thumb is drawn, and the position a point along the bar stands for.
    QRect ThumbRect() const;
    int PositionAt(int x) const;

signals:
    void sliderChanged(int id, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The thumb image's size, the marker's set size, or the themed thumb's.
    QSize ThumbSize() const;
    // The span the thumb's centre travels along.
    int TravelStart() const;
    int TravelLength() const;
    void SetRangeQuietly();

    PiecewiseLinearMap m_map;
    const CZuBuffer* m_track = nullptr;
    const CZuBuffer* m_thumb = nullptr;
    const CZuBuffer* m_background = nullptr;
    int m_edge = 0;
    int m_rightEdge = 0;
    QSize m_sliderSize;
    bool m_quiet = false;
};
