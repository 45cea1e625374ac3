#pragma once

#include <QPointer>

#include <cstdint>

class QObject;

// How a tool window reaches the editor: the editor names the windows that take its interface and
// data messages, and the tool sends (at once, user-interface thread) or posts (queued) to them.
class CMsgReceiver
{
public:
    virtual ~CMsgReceiver() = default;

    void SetMsgReceiveWnd(QObject* uiWnd, QObject* dataWnd);
    // The result the receiving handler set; 0 when there is no receiver.
    intptr_t SendMsgToUIMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam);
    intptr_t SendMsgToDataMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam);
    intptr_t PostMsgToUIMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam);
    intptr_t PostMsgToDataMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam);

private:
    QPointer<QObject> m_uiWnd;
    QPointer<QObject> m_dataWnd;
};
