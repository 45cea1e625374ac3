#include "host/CQOVBaseWnd.h"

#include "host/QOVMessage.h"

#include <QChildEvent>
#include <QMouseEvent>

CQOVBaseWnd::CQOVBaseWnd(QWidget* parent)
    : HostWindow(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CQOVBaseWnd::Create(QWidget* parent, const QRect& rect, int childId)
{
    setParent(parent);
    setGeometry(rect);
    m_childId = childId;
    setObjectName(QString::number(childId));
    if (OnCreate() == -1)
        return false;
    show();
    // A hidden parent holds back resize events until it shows; the window lays out at once anyway.
    OnSize(0, width(), height());
    return true;
}

intptr_t CQOVBaseWnd::SendToOwner(int message, uintptr_t wParam, intptr_t lParam)
{
    return QOVSendMessage(GetOwner(), message, wParam, lParam);
}

void CQOVBaseWnd::WatchDescendants(QObject* object)
{
    object->installEventFilter(this);
    for (QObject* child : object->children())
        WatchDescendants(child);
}

bool CQOVBaseWnd::event(QEvent* event)
{
    if (QOVMessageEvent* message = QOVMessageEvent::From(event)) {
        if (OnWindowMessage(message))
            return true;
    }
    if (event->type() == QEvent::ChildAdded)
        WatchDescendants(static_cast<QChildEvent*>(event)->child());
    if (PreTranslateMessage(this, event))
        return true;
    return QWidget::event(event);
}

bool CQOVBaseWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded)
        WatchDescendants(static_cast<QChildEvent*>(event)->child());
    // A dialog, message box or pop-up list the window opens is a window of its own, whose keys
    // (Escape to close it) are its own business.
    if (!InThisWindow(watched))
        return false;
    return PreTranslateMessage(watched, event);
}

bool CQOVBaseWnd::InThisWindow(QObject* object) const
{
    for (QObject* at = object; at; at = at->parent()) {
        if (const QWidget* widget = qobject_cast<const QWidget*>(at))
            return widget->window() == window();
    }
    return true;
}

void CQOVBaseWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->modifiers(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void CQOVBaseWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(event->modifiers(), event->position().toPoint());
    QWidget::mouseReleaseEvent(event);
}
