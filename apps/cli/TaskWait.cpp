#include "apps/cli/TaskWait.h"

#include "apps/cli/CliOutput.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/ProgressLine.h"
#include "dubbing/SrtDubbing.h"
#include "host/NetworkSettings.h"
#include "host/QOVPaths.h"
#include "service/ServiceTask.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

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

// A task or a run of many (a subtitle file's dubbing): both deliver progress and one end as signals, and stop without
// blocking.
template <class Waited>
TaskWait::Ending Wait(Waited& task, std::chrono::milliseconds timeout, ProgressLine& progress,
                      const TaskWait::Reading& reading, TaskEnd& end)
{
    using Ending = TaskWait::Ending;
    WarnWhenUnchecked(progress);
    QEventLoop loop;
    bool ended = false;
    const QMetaObject::Connection onEnd = QObject::connect(&task, &Waited::ended, &loop, [&](const TaskEnd& done) {
        end = done;
        ended = true;
        loop.quit();
    });
    const QMetaObject::Connection onProgress =
        QObject::connect(&task, &Waited::progress, &loop, [&](int code, const QString& text) {
            const QString state = reading ? reading(code, text) : text;
            if (!state.isEmpty())
                progress.SetState(state);
        });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&progress] { progress.Tick(); });
    tick.start(kTick);
    std::optional<QSocketNotifier> wake;
    if (InterruptSignal::WakeDescriptor() >= 0) {
        wake.emplace(InterruptSignal::WakeDescriptor(), QSocketNotifier::Read);
        QObject::connect(&*wake, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    if (task.Busy() && !InterruptSignal::Requested())
        loop.exec();

    Ending ending = Ending::Ended;
    if (!ended) {
        ending = InterruptSignal::Requested() ? Ending::Interrupted : Ending::TimedOut;
        // The stop cancels the request in flight, so its end is a moment away; a second Ctrl-C
        // still ends the process at once.
        task.Stop();
        deadline.stop();
        wake.reset();
        if (task.Busy())
            loop.exec();
    }
    QObject::disconnect(onEnd);
    QObject::disconnect(onProgress);
    return ending;
}

} // namespace

TaskWait::Ending TaskWait::Run(ServiceTask& task, std::chrono::milliseconds timeout, ProgressLine& progress,
                               const Reading& reading, TaskEnd& end)
{
    return Wait(task, timeout, progress, reading, end);
}

TaskWait::Ending TaskWait::Run(SrtDubbing& dubbing, std::chrono::milliseconds timeout, ProgressLine& progress,
                               TaskEnd& end)
{
    return Wait(dubbing, timeout, progress, nullptr, end);
}

std::optional<int> TaskWait::ForSuccess(CommandRun& run, ServiceTask& task, std::chrono::seconds timeout,
                                        const QString& noun, TaskEnd& end)
{
    switch (Run(task, timeout, run.Progress(), nullptr, end)) {
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
