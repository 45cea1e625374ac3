#include "support/MessageSink.h"

#include "host/QOVMessage.h"

namespace {

// Posted events need an application object; tests made by the plain test main have none.
void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "qov-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

} // namespace

MessageSink::MessageSink()
{
    EnsureApplication();
}

QList<int> MessageSink::Codes() const
{
    QList<int> codes;
    for (const Message& message : m_messages)
        codes << message.code;
    return codes;
}

bool MessageSink::event(QEvent* event)
{
    if (event->type() < QEvent::User)
        return QObject::event(event);
    auto* message = static_cast<QOVMessageEvent*>(event);
    m_messages.append(Message{message->Message(), int(intptr_t(message->WParam()))});
    message->SetResult(intptr_t(m_messages.size()));
    return true;
}
