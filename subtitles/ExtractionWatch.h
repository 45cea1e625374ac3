#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

class CWaveToTextMgr;
class WaveTransSrt;

// Looks after video tasks while their audio is extracted. A task tells nothing when its extraction
// gives up; the watch reports that through the manager as notification 3, so it reaches the window
// like any other. Lives on the window's thread.
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
