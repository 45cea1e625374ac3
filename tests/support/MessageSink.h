#pragma once

#include "support/Delivery.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>

#include <chrono>
#include <functional>

// Stands in for a tool window in client tests: records the numbers and codes of the messages a
// worker posts to it. Posted messages arrive only while the test's thread runs its event loop,
// which WaitUntil does.
class MessageSink : public QObject
{
public:
    struct Message
    {
        int number;
        int code;
    };

    MessageSink();

    QList<Message> Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }
    QList<int> Codes() const;

    // Delivers posted messages until done() holds or the time runs out; returns done().
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        return DeliverUntil(this, done, timeout);
    }
    void Deliver() { QCoreApplication::sendPostedEvents(this); }
    // The codes of every message so far, the queued ones delivered first.
    QList<int> DeliveredCodes()
    {
        Deliver();
        return Codes();
    }

protected:
    bool event(QEvent* event) override;

private:
    QList<Message> m_messages;
};
