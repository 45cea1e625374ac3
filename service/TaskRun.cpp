#include "service/TaskRun.h"

#include <QRunnable>
#include <QThreadPool>

#include <limits>

namespace {

// The module's own pool: its runs wait on services for minutes, and must not take the threads the
// host's or Qt's own concurrent work counts on.
QThreadPool& Pool()
{
    static QThreadPool* pool = [] {
        auto* made = new QThreadPool;
        made->setMaxThreadCount(TaskRun::kDefaultPoolSize);
        return made;
    }();
    return *pool;
}

int Milliseconds(std::chrono::milliseconds limit)
{
    if (limit.count() >= std::numeric_limits<int>::max())
        return -1;
    return int(std::max<std::chrono::milliseconds::rep>(limit.count(), 0));
}

} // namespace

TaskControl::TaskControl() : m_token(m_source.get_token())
{
}

bool TaskControl::Stopping() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stop;
}

bool TaskControl::Pause(std::chrono::milliseconds duration)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_stop; });
}

void TaskControl::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop)
            return;
        m_stop = true;
    }
    m_source.cancel();
    m_wake.notify_all();
}

bool TaskControl::WaitDone(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_done && m_worker == std::this_thread::get_id())
        return false;
    if (limit == std::chrono::milliseconds::max()) {
        m_wake.wait(lock, [this] { return m_done; });
        return true;
    }
    return m_wake.wait_for(lock, limit, [this] { return m_done; });
}

bool TaskControl::Done() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_done;
}

bool TaskControl::OnWorker() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_done && m_worker == std::this_thread::get_id();
}

void TaskControl::Begin()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_worker = std::this_thread::get_id();
}

void TaskControl::End()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
}

TaskRun::~TaskRun()
{
    Stop();
}

bool TaskRun::Start(Body body)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_control && !m_control->Done())
        return false;
    auto control = std::make_shared<TaskControl>();
    m_control = control;
    Pool().start([control, body = std::move(body)] {
        control->Begin();
        // A body that throws breaks its own contract, not the run's: whoever waits still hears
        // of its end.
        try {
            body(*control);
        } catch (...) {
        }
        control->End();
    });
    return true;
}

void TaskRun::Stop()
{
    if (const std::shared_ptr<TaskControl> control = Control())
        control->Stop();
}

bool TaskRun::StopAndWait(std::chrono::milliseconds limit)
{
    const std::shared_ptr<TaskControl> control = Control();
    if (!control)
        return true;
    control->Stop();
    return control->WaitDone(limit);
}

bool TaskRun::Running() const
{
    const std::shared_ptr<TaskControl> control = Control();
    return control && !control->Done();
}

bool TaskRun::OnItsThread() const
{
    const std::shared_ptr<TaskControl> control = Control();
    return control && control->OnWorker();
}

std::shared_ptr<TaskControl> TaskRun::Control() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_control;
}

bool TaskRun::WaitForAll(std::chrono::milliseconds limit)
{
    return Pool().waitForDone(Milliseconds(limit));
}

void TaskRun::SetPoolSize(int threads)
{
    Pool().setMaxThreadCount(threads);
}

int TaskRun::PoolSize()
{
    return Pool().maxThreadCount();
}
