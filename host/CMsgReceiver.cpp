#include "host/CMsgReceiver.h"

#include "host/QOVMessage.h"

void CMsgReceiver::SetMsgReceiveWnd(QObject* uiWnd, QObject* dataWnd)
{
    m_uiWnd = uiWnd;
    m_dataWnd = dataWnd;
}

intptr_t CMsgReceiver::SendMsgToUIMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam)
{
    return QOVSendMessage(m_uiWnd, message, wParam, lParam);
}

intptr_t CMsgReceiver::SendMsgToDataMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam)
{
    return QOVSendMessage(m_dataWnd, message, wParam, lParam);
}

intptr_t CMsgReceiver::PostMsgToUIMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam)
{
    return QOVPostMessage(m_uiWnd, message, wParam, lParam) ? 1 : 0;
}

intptr_t CMsgReceiver::PostMsgToDataMsgRcvWnd(int message, uintptr_t wParam, intptr_t lParam)
{
    return QOVPostMessage(m_dataWnd, message, wParam, lParam) ? 1 : 0;
}
