#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

class CWaveToTextMgr;
class WaveTransSrt;

// Looks after video tasks from the start of their audio extraction until recognition reports by
// itself. A task tells nothing when its extraction gives up, nor when recognition of the extracted
// audio cannot start; the watch reports both through the manager, as the task's notifications 3
// and 4, so they reach the window like any other. Lives on the window's thread.
class ExtractionWatch : public QObject
{
public:
    static constexpr int kIntervalMs = 200;

    explicit ExtractionWatch(CWaveToTextMgr& manager, QObject* parent = nullptr);

    void Add(WaveTransSrt* task);
    // Forgets every task (before the manager destroys them).
    void Clear();
    qsizetype Count() const { return m_tasks.size(); }

private:
    void Check();

    CWaveToTextMgr& m_manager;
    QList<WaveTransSrt*> m_tasks;
    QTimer m_timer;
};
