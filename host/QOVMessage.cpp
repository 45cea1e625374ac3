#include "host/QOVMessage.h"

#include <QCoreApplication>
#include <QObject>

QOVMessageEvent::QOVMessageEvent(int message, uintptr_t wParam, intptr_t lParam)
    : QEvent(QEvent::Type(message))
    , m_wParam(wParam)
    , m_lParam(lParam)
{
}

QOVMessageEvent::QOVMessageEvent(int message, const QString& wText, const QString& lText)
    : QEvent(QEvent::Type(message))
    , m_wParam(0)
    , m_lParam(0)
    , m_wText(wText)
    , m_lText(lText)
{
}

QOVMessageEvent* QOVMessageEvent::From(QEvent* event)
{
    return dynamic_cast<QOVMessageEvent*>(event);
}

bool QOVPostMessage(QObject* target, int message, uintptr_t wParam, intptr_t lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new QOVMessageEvent(message, wParam, lParam));
    return true;
}

bool QOVPostTexts(QObject* target, int message, const QString& wText, const QString& lText)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new QOVMessageEvent(message, wText, lText));
    return true;
}

intptr_t QOVSendMessage(QObject* target, int message, uintptr_t wParam, intptr_t lParam)
{
    if (!target)
        return 0;
    QOVMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.Result();
}
