#include "subtitles/ExtractionWatch.h"

#include "subtitles/CWaveToTextMgr.h"

ExtractionWatch::ExtractionWatch(CWaveToTextMgr& manager, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { Check(); });
}

void ExtractionWatch::Add(WaveTransSrt* task)
{
    if (!m_tasks.contains(task))
        m_tasks.append(task);
    if (!m_timer.isActive())
        m_timer.start();
}

void ExtractionWatch::Clear()
{
    m_timer.stop();
    m_tasks.clear();
}

void ExtractionWatch::Check()
{
    for (qsizetype i = m_tasks.size() - 1; i >= 0; --i) {
        WaveTransSrt* task = m_tasks[i];
        if (task->GetTransAudioResult() == WaveTransSrt::kTransAudioPending)
            continue;
        // Once the audio is there, the task and the manager report everything that follows.
        if (task->GetTransAudioResult() != 0 && task->GetStateCode() == WaveTransSrt::StateCreated)
            m_manager.RefreshSubtProgress(task, WaveTransSrt::NotifyExtractionFailed);
        m_tasks.removeAt(i);
    }
    if (m_tasks.isEmpty())
        m_timer.stop();
}
