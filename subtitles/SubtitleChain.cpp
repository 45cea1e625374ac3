#include "subtitles/SubtitleChain.h"

#include "service/Retry.h"
#include "subtitles/SubtitleNotice.h"
#include "subtitles/WaveTransSrt.h"

namespace {

// While the chain runs the task on this worker, whoever the task's notifications went to hears
// nothing of it: the chain reports as its own progress. Whatever ends the run, the task's engine is
// left stopped.
class Running
{
public:
    explicit Running(WaveTransSrt& task) : m_task(task) { m_task.SetWavToSrtCallBack(nullptr, nullptr); }
    ~Running() { m_task.Stop(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    WaveTransSrt& m_task;
};

void Report(const ServiceTask::Worker& worker, const WaveTransSrt& task, int code)
{
    worker.Report(code, SubtitleNoticeText(code, task));
}

// The video's audio, attempts a moment apart until one succeeds: 0, or the extractor's last code.
int Extract(WaveTransSrt& task, const ServiceTask::Worker& worker)
{
    Report(worker, task, WaveTransSrt::NotifyExtracting);
    const auto stop = [&worker] { return worker.Stopping(); };
    return Retry::Attempts(
        worker, WaveTransSrt::kExtractionAttempts, WaveTransSrt::kExtractionPause, [&] { return task.ExtractAudio(stop); },
        -1);
}

} // namespace

namespace SubtitleChain {

TaskEnd Run(WaveTransSrt& task, const ServiceTask::Worker& worker)
{
    const Running running(task);
    if (!task.IsAudio()) {
        const int code = Extract(task, worker);
        if (worker.Stopping())
            return TaskEnd::Stop();
        task.SetLastCode(code);
        if (code != 0)
            return TaskEnd::Failure(TaskError::Kind::Local, code,
                                    SubtitleNoticeText(WaveTransSrt::NotifyExtractionFailed, task));
        Report(worker, task, WaveTransSrt::NotifyAudioExtracted);
    }
    if (const int code = task.BeginTranslate(worker.Token()); code != 0)
        return worker.Stopping() ? TaskEnd::Stop() : TaskEnd::Failure(TaskError::Kind::Service, code, task.GetState());
    while (!worker.Stopping()) {
        task.PollTranslate(worker.Token());
        switch (task.GetStateCode()) {
        case WaveTransSrt::StateFinished:
            Report(worker, task, WaveTransSrt::NotifyFinished);
            return TaskEnd::Success(task.GetSrtPath());
        case WaveTransSrt::StateFailed:
            return TaskEnd::Failure(TaskError::Kind::Service, task.GetLastCode(), task.GetState());
        default:
            Report(worker, task, WaveTransSrt::NotifyProgress);
            break;
        }
        if (!worker.Pause(task.PollInterval()))
            break;
    }
    return TaskEnd::Stop();
}

} // namespace SubtitleChain
