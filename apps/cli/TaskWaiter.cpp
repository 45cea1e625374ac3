#include "apps/cli/TaskWaiter.h"

#include "apps/cli/InterruptSignal.h"
#include "apps/cli/ProgressLine.h"
#include "host/QOVMessage.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// Often enough for the elapsed time to count visibly.
constexpr std::chrono::milliseconds kTick(200);

} // namespace

TaskWaiter::TaskWaiter(int message, Reading reading, ProgressLine& progress)
    : m_message(message)
    , m_reading(std::move(reading))
    , m_progress(progress)
{
}

TaskWaiter::Ending TaskWaiter::Wait(std::chrono::seconds timeout)
{
    QEventLoop loop;
    m_quit = [&loop] { loop.quit(); };
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [this] { m_progress.Tick(); });
    tick.start(kTick);
    std::optional<QSocketNotifier> wake;
    if (InterruptSignal::WakeDescriptor() >= 0) {
        wake.emplace(InterruptSignal::WakeDescriptor(), QSocketNotifier::Read);
        QObject::connect(&*wake, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    if (!m_final && !InterruptSignal::Requested())
        loop.exec();
    m_quit = nullptr;
    if (m_final)
        return Ending::Finished;
    return InterruptSignal::Requested() ? Ending::Interrupted : Ending::TimedOut;
}

int TaskWaiter::FinalCode() const
{
    return m_final.value_or(0);
}

bool TaskWaiter::event(QEvent* event)
{
    const QOVMessageEvent* message = QOVMessageEvent::From(event);
    if (!message || message->Message() != m_message)
        return QObject::event(event);
    const int code = int(intptr_t(message->WParam()));
    const Step step = m_reading(code);
    if (!step.state.isEmpty())
        m_progress.SetState(step.state);
    if (step.ends && !m_final) {
        m_final = code;
        if (m_quit)
            m_quit();
    }
    return true;
}
