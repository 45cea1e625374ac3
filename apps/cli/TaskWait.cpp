#include "apps/cli/TaskWait.h"

#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/ProgressLine.h"
#include "host/NetworkSettings.h"
#include "host/QOVPaths.h"
#include "service/ServiceTask.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

// Often enough for the elapsed time to count visibly.
constexpr std::chrono::milliseconds kTick(200);

// Whoever switched certificate checking off is reminded, once a run, when the services are asked.
void WarnWhenUnchecked(ProgressLine& progress)
{
    static bool warned = false;
    if (warned || LoadNetworkSettings().verifyCertificates)
        return;
    warned = true;
    progress.Clear();
    PrintError(QStringLiteral("qovaigc: certificate checking is off (VerifyCertificates=0 in [Network] of %1): "
                              "whoever answers at the services' addresses is trusted with the keys")
                   .arg(AigcSettingsPath()));
}

} // namespace

struct TaskWait::Followed
{
    std::function<void()> stop;
    Reading reading;
    Done done;
    QTimer deadline;
    Ending ending = Ending::Ended;
    QMetaObject::Connection onEnd;
    QMetaObject::Connection onProgress;
};

TaskWait::TaskWait(ProgressLine& progress)
    : m_progress(progress)
{
}

TaskWait::~TaskWait()
{
    for (const std::unique_ptr<Followed>& followed : m_followed) {
        QObject::disconnect(followed->onEnd);
        QObject::disconnect(followed->onProgress);
    }
}

TaskWait::Followed* TaskWait::Add(std::function<void()> stop, Reading reading, Done done)
{
    auto owned = std::make_unique<Followed>();
    Followed* followed = owned.get();
    followed->stop = std::move(stop);
    followed->reading = std::move(reading);
    followed->done = std::move(done);
    m_followed.push_back(std::move(owned));
    return followed;
}

void TaskWait::Watch(Followed* followed, QMetaObject::Connection onEnd, QMetaObject::Connection onProgress)
{
    followed->onEnd = std::move(onEnd);
    followed->onProgress = std::move(onProgress);
}

void TaskWait::Arm(Followed* followed, std::chrono::milliseconds timeout)
{
    followed->deadline.setSingleShot(true);
    QObject::connect(&followed->deadline, &QTimer::timeout, &m_loop, [followed] {
        // The stop cancels the request in flight, so its end is a moment away.
        followed->ending = Ending::TimedOut;
        followed->stop();
    });
    if (m_interrupted || InterruptSignal::Requested()) {
        followed->ending = Ending::Interrupted;
        followed->stop();
    } else if (timeout.count() > 0) {
        followed->deadline.start(timeout);
    }
}

void TaskWait::Progressed(Followed* followed, int code, const QString& text)
{
    const QString state = followed->reading ? followed->reading(code, text) : text;
    if (!state.isEmpty())
        m_progress.SetState(state);
}

void TaskWait::Ended(Followed* followed, const TaskEnd& end)
{
    const auto at = std::find_if(m_followed.begin(), m_followed.end(),
                                 [followed](const std::unique_ptr<Followed>& f) { return f.get() == followed; });
    if (at == m_followed.end())
        return;
    std::unique_ptr<Followed> owned = std::move(*at);
    m_followed.erase(at);
    QObject::disconnect(owned->onEnd);
    QObject::disconnect(owned->onProgress);
    owned->deadline.stop();
    // Its Done may follow the next task, so the loop ends only when none was.
    owned->done(owned->ending, end);
    if (m_followed.empty())
        m_loop.quit();
}

void TaskWait::StopAll()
{
    m_interrupted = true;
    for (const std::unique_ptr<Followed>& followed : m_followed) {
        followed->deadline.stop();
        followed->ending = Ending::Interrupted;
        // A second Ctrl-C still ends the process at once.
        followed->stop();
    }
}

bool TaskWait::WaitAll()
{
    WarnWhenUnchecked(m_progress);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &m_loop, [this] { m_progress.Tick(); });
    tick.start(kTick);
    std::optional<QSocketNotifier> wake;
    if (InterruptSignal::WakeDescriptor() >= 0) {
        wake.emplace(InterruptSignal::WakeDescriptor(), QSocketNotifier::Read);
        // The descriptor stays readable: one notice is all it gives.
        QObject::connect(&*wake, &QSocketNotifier::activated, &m_loop, [this, &wake] {
            wake->setEnabled(false);
            StopAll();
        });
    }
    if (InterruptSignal::Requested())
        StopAll();
    if (!m_followed.empty())
        m_loop.exec();
    return !Interrupted();
}

bool TaskWait::Interrupted() const
{
    return m_interrupted || InterruptSignal::Requested();
}

std::optional<int> TaskWait::ForSuccess(CommandRun& run, ServiceTask& task, std::chrono::seconds timeout,
                                        const QString& noun, TaskEnd& end)
{
    return Judge(run, Run(task, timeout, run.Progress(), nullptr, end), end, timeout, noun);
}

std::optional<int> TaskWait::Judge(CommandRun& run, Ending ending, const TaskEnd& end, std::chrono::seconds timeout,
                                   const QString& noun)
{
    switch (ending) {
    case Ending::Interrupted:
        return run.Interrupted();
    case Ending::TimedOut:
        return run.Fail(QStringLiteral("no %1 came within %2 s").arg(noun).arg(timeout.count()));
    case Ending::Ended:
        break;
    }
    if (!end.Succeeded())
        return run.Fail(end.error.text);
    return std::nullopt;
}
