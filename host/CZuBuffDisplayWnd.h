#pragma once

#include <QWidget>

class CZuBuffer;

// Shows a pixel buffer scaled to fit and centred, keeping its aspect, on the theme background.
class CZuBuffDisplayWnd : public QWidget
{
    Q_OBJECT

public:
    explicit CZuBuffDisplayWnd(QWidget* parent = nullptr, int id = 0);

    bool Create(QWidget* parent, const QRect& rect, int id);
    int GetDlgCtrlID() const;

    // Not owned; must outlive the window or be replaced first. Null clears.
    void SetDisplayBuffer(const CZuBuffer* buffer);
    const CZuBuffer* GetDisplayBuffer() const;

    // The largest rect with the aspect of source that fits centred inside bounds (empty when
    // either is empty).
    static QRect FitRect(const QSize& source, const QRect& bounds);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_id = 0;
    const CZuBuffer* m_buffer = nullptr;
};
