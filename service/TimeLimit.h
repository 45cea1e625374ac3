#pragma once

#include "service/Task.h"

#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

// A task given a time to end in. When that time runs out the task is stopped, and once its end has
// arrived the limit ends as failed (kind TimedOut) with words of its own; a task that ends first
// ends the limit as it ended. The time counts from Start.
class TimeLimit : public Task
{
    Q_OBJECT
public:
    // words: what the user is told when the time runs out; "%1" becomes the seconds given.
    TimeLimit(std::unique_ptr<Task> task, std::chrono::milliseconds limit, QString words, QObject* parent = nullptr);
    ~TimeLimit() override;

    bool Start() override;
    void Stop() override;
    bool Busy() const override { return m_task->Busy(); }

    Task& Inner() const { return *m_task; }
    bool Expired() const { return m_expired; }

private:
    void OnEnded(const TaskEnd& end);

    std::unique_ptr<Task> m_task;
    std::chrono::milliseconds m_limit;
    QString m_words;
    QTimer m_timer;
    bool m_expired = false;
};
