#include "service/TimeLimit.h"

namespace {

const char* const kTimedOutFormat = "任务在%1秒内没有结束，已停止";

} // namespace

TimeLimit::TimeLimit(std::unique_ptr<Task> task, std::chrono::milliseconds limit, QString words, QObject* parent)
    : Task(parent),
      m_task(std::move(task)),
      m_limit(limit),
      m_words(words.isEmpty() ? QString::fromUtf8(kTimedOutFormat) : std::move(words))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_expired = true;
        m_task->Stop();
    });
    connect(m_task.get(), &Task::progress, this, &Task::progress);
    connect(m_task.get(), &Task::ended, this, &TimeLimit::OnEnded);
}

TimeLimit::~TimeLimit() = default;

bool TimeLimit::Start()
{
    if (!m_task->Start())
        return false;
    m_expired = false;
    if (m_limit.count() > 0)
        m_timer.start(m_limit);
    return true;
}

void TimeLimit::Stop()
{
    m_timer.stop();
    m_task->Stop();
}

void TimeLimit::OnEnded(const TaskEnd& end)
{
    m_timer.stop();
    // A task that finished before the stop reached it has finished.
    if (m_expired && !end.Succeeded()) {
        const qint64 seconds = (m_limit.count() + 999) / 1000;
        const QString words = m_words.contains(QLatin1String("%1")) ? m_words.arg(seconds) : m_words;
        emit ended(TaskEnd::Failure(TaskError::Kind::TimedOut, 0, words));
        return;
    }
    emit ended(end);
}
