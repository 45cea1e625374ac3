#pragma once

#include "host/ChildControl.h"

#include <QWidget>

class CZuBuffer;

// Shows a pixel buffer scaled to fit and centred, keeping its aspect, on the theme background.
class CZuBuffDisplayWnd : public ChildControl<QWidget>
{
    Q_OBJECT

public:
    explicit CZuBuffDisplayWnd(QWidget* parent = nullptr, int id = 0);

    // Not owned; must outlive the window or be replaced first. Null clears.
    void SetDisplayBuffer(const CZuBuffer* buffer);
    const CZuBuffer* GetDisplayBuffer() const { return m_buffer; }

    // The largest rect with the aspect of source that fits centred inside bounds (empty when
    // either is empty).
    static QRect FitRect(const QSize& source, const QRect& bounds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CZuBuffer* m_buffer = nullptr;
};
