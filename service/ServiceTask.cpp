#include "service/ServiceTask.h"

#include "service/MessageNumbers.h"

#include <QCoreApplication>
#include <QEvent>

#include <exception>
#include <mutex>

// Where a worker posts its reports. The owner clears the target under the lock before it goes, so
// a worker never posts to a task that is being destroyed; Qt drops what was already posted.
struct ServiceTask::Mailbox
{
    std::mutex mutex;
    QObject* target = nullptr;

    void Post(QEvent* event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (target)
            QCoreApplication::postEvent(target, event);
        else
            delete event;
    }
};

namespace {

class ReportEvent : public QEvent
{
public:
    ReportEvent(quint64 generation, int code, QString text)
        : QEvent(QEvent::Type(MessageNumbers::kServiceTaskProgress)), generation(generation), code(code),
          text(std::move(text))
    {
    }
    quint64 generation;
    int code;
    QString text;
};

class EndEvent : public QEvent
{
public:
    EndEvent(quint64 generation, TaskEnd end)
        : QEvent(QEvent::Type(MessageNumbers::kServiceTaskEnd)), generation(generation), end(std::move(end))
    {
    }
    quint64 generation;
    TaskEnd end;
};

} // namespace

void ServiceTask::Worker::Report(int code, const QString& text) const
{
    if (!m_control.Stopping())
        m_report(code, text);
}

ServiceTask::ServiceTask(QObject* parent) : ServiceTask(Body(), parent) {}

ServiceTask::ServiceTask(Body body, QObject* parent)
    : Task(parent), m_body(std::move(body)), m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->target = this;
}

ServiceTask::~ServiceTask()
{
    {
        std::lock_guard<std::mutex> lock(m_mailbox->mutex);
        m_mailbox->target = nullptr;
    }
    m_run.Stop();
}

bool ServiceTask::Start(Body body)
{
    if (m_busy)
        return false;
    m_body = std::move(body);
    return Start();
}

bool ServiceTask::Start()
{
    if (m_busy || !m_body)
        return false;
    const quint64 generation = ++m_generation;
    std::shared_ptr<Mailbox> mailbox = m_mailbox;
    TaskRun::Body run = [mailbox, generation, body = m_body](TaskControl& control) {
        const Worker worker(control, [&mailbox, generation](int code, const QString& text) {
            mailbox->Post(new ReportEvent(generation, code, text));
        });
        TaskEnd end;
        try {
            end = body(worker);
        } catch (const std::exception& error) {
            end = TaskEnd::Failure(TaskError::Kind::Local, -1, QString::fromUtf8(error.what()));
        } catch (...) {
            end = TaskEnd::Failure(TaskError::Kind::Local, -1, QStringLiteral("任务意外中止，原因不明"));
        }
        // A request the stop cut short fails on the way; that is the stop, not a failure.
        if (end.Failed() && control.Stopping())
            end = TaskEnd::Stop();
        mailbox->Post(new EndEvent(generation, std::move(end)));
    };
    // The previous body posts its end as its last step: once that end has arrived, the body is a
    // moment from returning.
    if (!m_run.Start(run) && !(WaitForBody(std::chrono::seconds(1)) && m_run.Start(run)))
        return false;
    m_busy = true;
    return true;
}

void ServiceTask::Stop()
{
    if (m_busy)
        m_run.Stop();
}

bool ServiceTask::WaitForBody(std::chrono::milliseconds limit) const
{
    const std::shared_ptr<TaskControl> control = m_run.Control();
    return !control || control->WaitDone(limit);
}

bool ServiceTask::event(QEvent* event)
{
    if (event->type() == QEvent::Type(MessageNumbers::kServiceTaskProgress)) {
        auto* report = static_cast<ReportEvent*>(event);
        if (report->generation == m_generation && m_busy)
            emit progress(report->code, report->text);
        return true;
    }
    if (event->type() == QEvent::Type(MessageNumbers::kServiceTaskEnd)) {
        auto* end = static_cast<EndEvent*>(event);
        if (end->generation == m_generation && m_busy) {
            m_busy = false;
            emit ended(end->end);
        }
        return true;
    }
    return QObject::event(event);
}
