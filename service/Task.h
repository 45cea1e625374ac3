#pragma once

#include "service/TaskEnd.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// What every runnable thing of the module is to its owner: a start that returns at once, a stop
// that never blocks, progress on the way and exactly one end, both delivered on the owner's thread.
// A service call, a chain of them and a batch are all tasks, so a window, the command line and a
// group treat them alike.
class Task : public QObject
{
    Q_OBJECT
public:
    explicit Task(QObject* parent = nullptr);
    ~Task() override;

    // False, and nothing started, while a run is under way or when there is nothing to run.
    virtual bool Start() = 0;
    // Asks the run to end; its end (stopped, or the real one when that came first) still follows,
    // once. Does nothing when no run is under way.
    virtual void Stop() = 0;
    // From a start until its end has been delivered.
    virtual bool Busy() const = 0;

signals:
    void progress(int code, const QString& text);
    void ended(const TaskEnd& end);
};

// A task made when its turn comes: a batch of thousands holds makers, not idle tasks. Null when the
// item cannot be made; that is the item's failure.
using TaskMaker = std::function<std::unique_ptr<Task>()>;
