#include "subtitles/SubtitleChain.h"

#include "subtitles/SubtitleNotice.h"
#include "subtitles/TranscodeResult.h"
#include "subtitles/WaveTransSrt.h"

namespace {

// The task's notifications as the body's progress, with what the subtitles tool shows for them. A
// failure is the body's end, not progress.
int Relay(void* worker, WaveTransSrt* task, int code)
{
    if (code != WaveTransSrt::NotifyExtractionFailed && code != WaveTransSrt::NotifyFailed)
        static_cast<const ServiceTask::Worker*>(worker)->Report(code, SubtitleNoticeText(code, *task));
    return 1;
}

// While the chain runs the task on this worker, its notifications are the body's progress and
// reach nobody else. Whatever ends the run, the task is left stopped and silent.
class Running
{
public:
    Running(WaveTransSrt& task, const ServiceTask::Worker& worker) : m_task(task)
    {
        m_task.SetWavToSrtCallBack(&Relay, const_cast<ServiceTask::Worker*>(&worker));
    }
    ~Running()
    {
        m_task.Stop();
        m_task.SetWavToSrtCallBack(nullptr, nullptr);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    WaveTransSrt& m_task;
};

} // namespace

namespace SubtitleChain {

TaskEnd Run(WaveTransSrt& task, const ServiceTask::Worker& worker)
{
    const Running running(task, worker);
    if (!task.IsAudio()) {
        Relay(const_cast<ServiceTask::Worker*>(&worker), &task, WaveTransSrt::NotifyExtracting);
        const int code = task.ExtractUnder(worker.Control());
        if (worker.Stopping())
            return TaskEnd::Stop();
        if (code != 0)
            return TaskEnd::Failure({TaskError::Kind::Local, code,
                                     SubtitleNoticeText(WaveTransSrt::NotifyExtractionFailed, task), kExtractionCodes});
        Relay(const_cast<ServiceTask::Worker*>(&worker), &task, WaveTransSrt::NotifyAudioExtracted);
    }
    if (const int code = task.BeginTranslate(worker.Token()); code != 0)
        return worker.Stopping() ? TaskEnd::Stop() : TaskEnd::Failure(task.Failure());
    task.PollUnder(worker.Control());
    // A file written before the stop reached the poll is the task's result all the same.
    if (task.GetStateCode() == WaveTransSrt::StateFinished)
        return TaskEnd::Success(task.GetSrtPath());
    if (worker.Stopping())
        return TaskEnd::Stop();
    return TaskEnd::Failure(task.Failure());
}

} // namespace SubtitleChain
