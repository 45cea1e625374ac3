#include "ui/WheelScrollsColumn.h"

#include <QAbstractSlider>
#include <QChildEvent>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

namespace {

// The settings the wheel must not change by passing over them. A scroll bar is the column's own.
bool IsSetting(QObject* object)
{
    return (qobject_cast<QAbstractSlider*>(object) && !qobject_cast<QScrollBar*>(object)) ||
           qobject_cast<QComboBox*>(object);
}

} // namespace

WheelScrollsColumn::WheelScrollsColumn(QWidget* window, std::function<void(QWheelEvent*)> scroll)
    : QObject(window), m_scroll(std::move(scroll))
{
    Watch(window);
}

void WheelScrollsColumn::Watch(QObject* object)
{
    // Children made later announce themselves to their parent.
    object->installEventFilter(this);
    if (IsSetting(object)) {
        // A click or a tab gives them focus; the wheel does not.
        static_cast<QWidget*>(object)->setFocusPolicy(Qt::StrongFocus);
        return;
    }
    for (QObject* child : object->children())
        if (child->isWidgetType())
            Watch(child);
}

bool WheelScrollsColumn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            Watch(child);
        return false;
    }
    if (event->type() == QEvent::Wheel && IsSetting(watched)) {
        m_scroll(static_cast<QWheelEvent*>(event));
        return true;
    }
    return false;
}
