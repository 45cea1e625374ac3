#pragma once

#include <QObject>

#include <functional>

class QWheelEvent;

// Keeps the mouse wheel for scrolling a tool column: over a slider or a drop-down list of the
// column the wheel scrolls the column instead of changing the setting, which changes only when
// clicked, dragged or used from the keyboard.
class WheelScrollsColumn : public QObject
{
public:
    // Watches every slider and drop-down list below window, now and as they are added later;
    // scroll gets the wheel events they would have taken.
    WheelScrollsColumn(QWidget* window, std::function<void(QWheelEvent*)> scroll);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);

    std::function<void(QWheelEvent*)> m_scroll;
};
