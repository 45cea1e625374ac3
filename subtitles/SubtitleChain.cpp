#include "subtitles/SubtitleChain.h"

#include "service/PollCodes.h"
#include "subtitles/SubtitleNotice.h"
#include "subtitles/WaveTransSrt.h"

#include <optional>

namespace {

int Relay(void* codes, WaveTransSrt* /*task*/, int code)
{
    static_cast<PollCodes*>(codes)->Add(code);
    return 1;
}

// Whatever ends the body, nothing of the task runs, and nothing reports, once it has returned.
class Ending
{
public:
    Ending(WaveTransSrt& task, const pplx::cancellation_token& token)
        : m_task(task)
        , m_token(token)
    {
        // A stop ends the start's requests, which run on this worker.
        if (m_token.is_cancelable())
            m_registration = m_token.register_callback([&task] { task.CancelStart(); });
    }
    ~Ending()
    {
        if (m_token.is_cancelable())
            m_token.deregister_callback(m_registration);
        m_task.Stop();
        m_task.SetWavToSrtCallBack(nullptr, nullptr);
    }
    Ending(const Ending&) = delete;
    Ending& operator=(const Ending&) = delete;

private:
    WaveTransSrt& m_task;
    pplx::cancellation_token m_token;
    pplx::cancellation_token_registration m_registration;
};

// Recognition of the audio, on this worker: nothing when it started, else how the run ends.
std::optional<TaskEnd> StartRecognition(WaveTransSrt& task, const ServiceTask::Worker& worker)
{
    const int code = task.StartTranslate();
    if (code == 0)
        return std::nullopt;
    if (worker.Stopping())
        return TaskEnd::Stop();
    return TaskEnd::Failure(TaskError::Kind::Service, code, task.GetState());
}

} // namespace

namespace SubtitleChain {

TaskEnd Run(WaveTransSrt& task, const ServiceTask::Worker& worker)
{
    PollCodes codes;
    task.SetWavToSrtCallBack(&Relay, &codes);
    const Ending ending(task, worker.Token());
    if (task.IsAudio()) {
        if (std::optional<TaskEnd> end = StartRecognition(task, worker))
            return *end;
    } else {
        task.StartTransAudio();
    }
    while (const std::optional<int32_t> code = codes.Next(worker)) {
        switch (*code) {
        case WaveTransSrt::NotifyAudioExtracted:
            worker.Report(*code, SubtitleNoticeText(*code, task));
            if (std::optional<TaskEnd> end = StartRecognition(task, worker))
                return *end;
            break;
        case WaveTransSrt::NotifyExtractionFailed:
            return TaskEnd::Failure(TaskError::Kind::Local, task.GetTransAudioResult(),
                                    SubtitleNoticeText(*code, task));
        case WaveTransSrt::NotifyFailed:
            return TaskEnd::Failure(TaskError::Kind::Service, task.GetLastCode(), task.GetState());
        case WaveTransSrt::NotifyFinished:
            worker.Report(*code, SubtitleNoticeText(*code, task));
            return TaskEnd::Success(task.GetSrtPath());
        default:
            worker.Report(*code, SubtitleNoticeText(*code, task));
            break;
        }
    }
    return TaskEnd::Stop();
}

} // namespace SubtitleChain
