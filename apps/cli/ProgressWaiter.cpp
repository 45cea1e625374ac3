#include "apps/cli/ProgressWaiter.h"

#include "host/QOVMessage.h"

#include <QEventLoop>
#include <QTimer>

ProgressWaiter::ProgressWaiter(int message, std::function<bool(int code)> ends)
    : m_message(message)
    , m_ends(std::move(ends))
{
}

std::optional<int> ProgressWaiter::Wait(std::chrono::seconds timeout)
{
    QEventLoop loop;
    m_quit = [&loop] { loop.quit(); };
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    if (!m_final)
        loop.exec();
    m_quit = nullptr;
    return m_final;
}

bool ProgressWaiter::event(QEvent* event)
{
    const QOVMessageEvent* message = QOVMessageEvent::From(event);
    if (!message || message->Message() != m_message)
        return QObject::event(event);
    const int code = int(intptr_t(message->WParam()));
    if (m_ends(code)) {
        m_final = code;
        if (m_quit)
            m_quit();
    }
    return true;
}
