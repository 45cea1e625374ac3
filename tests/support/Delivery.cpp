#include "support/Delivery.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>

bool DeliverUntil(QObject* /*receiver*/, const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count())
            return false;
        // The window's tasks are objects of their own: their ends are delivered with its messages.
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
