#include "subtitles/WaveTransSrt.h"

#include "host/CQOVReadFile.h"
#include "host/QOVVideoTool.h"
#include "service/LockedCopy.h"
#include "service/Retry.h"
#include "service/TaskRun.h"
#include "subtitles/AudioTranscode.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToText.h"
#include "subtitles/CloudRecognitionEngine.h"
#include "subtitles/FileTranscriptionEngine.h"
#include "subtitles/WavToTextErrorInfo.h"

#include <QFile>
#include <QFileInfo>

#include <pplx/pplxtasks.h>

namespace {

const char* const kRecognising = "生成中，请稍候...";
const char* const kFinished = "转写成功！";
const char* const kFailedFormat = "转写失败, %1.";

// What the editor's extractor is asked for: one channel at 16000 Hz, 16-bit, the whole track.
constexpr int kChannels = 1;
constexpr int kSampleRate = 16000;
constexpr int kSampleFormat = 1;
// The editor's extractor cannot handle the source; the module's own extraction may.
constexpr int kExtractorCannotHandle = -1;

bool EndsSentence(const QString& text)
{
    return !text.isEmpty() && QStringLiteral("。.！!？?").contains(text.back());
}

// The failure in the task's format, with the transport's words when a request failed on its way,
// and one full stop at the end.
QString FailedText(QString reason, const QString& transport)
{
    if (!transport.isEmpty() && !reason.contains(transport)) {
        while (EndsSentence(reason))
            reason.chop(1);
        reason += QStringLiteral("（%1）").arg(transport);
    }
    QString text = QString::fromUtf8(kFailedFormat).arg(reason);
    if (EndsSentence(reason))
        text.chop(1);
    return text;
}

} // namespace

struct WaveTransSrt::StartCancel
{
    std::mutex mutex;
    pplx::cancellation_token_source source;
    bool closing = false;

    // A token for a new start: cancelled already when the task is closing.
    pplx::cancellation_token Begin()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!closing)
            source = pplx::cancellation_token_source();
        return source.get_token();
    }
    void Cancel(bool close)
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = closing || close;
        source.cancel();
    }
};

WaveTransSrt::WaveTransSrt()
    : WaveTransSrt(0)
{
}

WaveTransSrt::WaveTransSrt(int engine)
    : m_engine(engine)
    , m_cloud(std::make_unique<CAudio2TxtNetOper>())
    , m_waveToText(std::make_unique<CWaveToText>())
    , m_startCancel(std::make_shared<StartCancel>())
    , m_run(std::make_unique<TaskRun>())
{
    if (engine == 0)
        m_recognition = std::make_unique<FileTranscriptionEngine>(*m_waveToText);
    else
        m_recognition = std::make_unique<CloudRecognitionEngine>(*m_cloud);
}

WaveTransSrt::~WaveTransSrt()
{
    // The run may be starting the engine: the start is cancelled, then the run ends, and after
    // that no thread holds the task.
    m_startCancel->Cancel(true);
    StopEngine();
}

int WaveTransSrt::StartTranslate()
{
    // From the task's own run (the extraction's notification) recognition goes on on that thread.
    const bool onRun = m_run->OnItsThread();
    if (!onRun)
        StopEngine();
    if (const int code = BeginTranslate(m_startCancel->Begin()); code != 0)
        return code;
    if (onRun)
        m_pollAfter = true;
    else
        m_run->Start([this](TaskControl& control) { PollUnder(control); });
    return 0;
}

int WaveTransSrt::ExtractUnder(TaskControl& control)
{
    const auto stop = [&control] { return control.Stopping(); };
    const int code = Retry::Attempts(
        control, kExtractionAttempts, kExtractionPause, [&] { return ExtractAudio(stop); }, -1);
    m_lastCode = code;
    m_transAudioResult = code;
    m_extracting = false;
    // The empty file that held the audio's name goes with an extraction that wrote nothing.
    if (code != 0 && QFileInfo(m_audioPath).size() == 0)
        QFile::remove(m_audioPath);
    // The task says so itself, so that nobody has to watch for an extraction that gave up.
    if (code != 0 && !control.Stopping())
        Notify(NotifyExtractionFailed);
    return code;
}

void WaveTransSrt::Extraction(TaskControl& control)
{
    if (ExtractUnder(control) != 0 || control.Stopping())
        return;
    m_pollAfter = false;
    Notify(NotifyAudioExtracted);
    if (m_pollAfter.exchange(false))
        PollUnder(control);
}

void WaveTransSrt::PollUnder(TaskControl& control)
{
    while (!control.Stopping()) {
        const int code = m_recognition->Poll(control.Token());
        // A stop cut the poll short: that says nothing of the task.
        if (!control.Token().is_canceled())
            Progress(code);
        const int state = m_state;
        if (state == StateFinished || state == StateFailed || !control.Pause(m_recognition->Interval()))
            break;
    }
}

int WaveTransSrt::BeginTranslate(const pplx::cancellation_token& cancel)
{
    // The audio is there; the first poll may come before the start returns and then moves the
    // state and the last code on by itself, so both are reset before the engine starts.
    m_state = StateAudioReady;
    m_lastCode = 0;
    LockedSet(m_taskIdMutex, m_writeFailure, QString());
    QString taskId;
    const int code = m_recognition->Create(m_audioPath, GetSrtPath(), m_model, cancel, taskId);
    m_startFailed = code != 0;
    if (code != 0) {
        m_lastCode = code;
        m_state = StateFailed;
        return code;
    }
    LockedSet(m_taskIdMutex, m_taskId, taskId);
    int32_t ready = StateAudioReady;
    m_state.compare_exchange_strong(ready, StateRecognising);
    return 0;
}

int WaveTransSrt::ExtractAudio(const std::function<bool()>& stop)
{
    const int code =
        SaveAudioFromMediaFile(m_audioPath, m_mediaPath, kChannels, kSampleRate, kSampleFormat, 0, 0, stop);
    if (code != kExtractorCannotHandle)
        return code;
    AudioTranscodeWatch watch;
    watch.stop = stop;
    return WatchedTranscodeAudio(m_mediaPath, m_audioPath, int(m_rangeStart), int(m_rangeEnd), FFAPI::ACODEC_MP3,
                                 FFAPI::ACHANNEL_MONO, FFAPI::ASAMPLERATE_16000, FFAPI::ASAMPLEBIT_S16, watch);
}

void WaveTransSrt::ProgressCb(void* task, int code)
{
    if (task)
        static_cast<WaveTransSrt*>(task)->Progress(code);
}

void WaveTransSrt::Progress(int code)
{
    m_lastCode = code;
    const RecognitionEngine::Outcome outcome = m_recognition->Read(code);
    switch (outcome.step) {
    case RecognitionEngine::Step::Progress:
        m_state = StateRecognising;
        [[fallthrough]];
    case RecognitionEngine::Step::Report:
        Notify(NotifyProgress);
        break;
    case RecognitionEngine::Step::Finished:
        if (!outcome.srtPath.isEmpty())
            LockedSet(m_taskIdMutex, m_srtPath, outcome.srtPath);
        m_srtWritten = true;
        m_state = StateFinished;
        Notify(NotifyFinished);
        break;
    case RecognitionEngine::Step::Failed:
        LockedSet(m_taskIdMutex, m_writeFailure, outcome.failure);
        m_state = StateFailed;
        Notify(NotifyFailed);
        break;
    }
}

TaskError WaveTransSrt::Failure() const
{
    return {m_recognition->FailureKind(), m_lastCode, GetState(), m_recognition->Codes()};
}

QString WaveTransSrt::GetState() const
{
    switch (m_state.load()) {
    case StateRecognising:
        return QString::fromUtf8(kRecognising);
    case StateFinished:
        return QString::fromUtf8(kFinished);
    case StateFailed: {
        // A result that came but could not be saved says so, not what the service said.
        std::lock_guard<std::mutex> lock(m_taskIdMutex);
        if (!m_writeFailure.isEmpty())
            return FailedText(m_writeFailure, {});
        return FailedText(GetWavToTextErrorInfo(m_lastCode), m_recognition->TransportReason());
    }
    default:
        return m_recognition->Status(m_lastCode);
    }
}

int WaveTransSrt::StartTransAudio()
{
    if (m_run->OnItsThread())
        return 0;
    StopEngine();
    m_lastCode = 0;
    LockedSet(m_taskIdMutex, m_writeFailure, QString());
    m_transAudioResult = kTransAudioPending;
    m_extracting = true;
    m_run->Start([this](TaskControl& control) { Extraction(control); });
    Notify(NotifyExtracting);
    return 0;
}

void WaveTransSrt::StopTransAudio()
{
    Stop();
}

void WaveTransSrt::Stop()
{
    // Recognition may be starting on the extraction's thread: its requests end first.
    m_startCancel->Cancel(false);
    StopEngine();
}

void WaveTransSrt::CancelStart()
{
    m_startCancel->Cancel(false);
}

int WaveTransSrt::TransVideoToAudio()
{
    return ExtractAudio({});
}

void WaveTransSrt::SetWavToSrtCallBack(NotifyCallback callback, void* context)
{
    m_callback = callback;
    m_callbackContext = context;
}

void WaveTransSrt::InitEnv(const QString& id, const QString& key)
{
    m_waveToText->InitEnv(id, key);
}

int WaveTransSrt::StopWavToTxt()
{
    // The recognition's polls, not an extraction under way.
    if (!m_extracting)
        StopEngine();
    return 1;
}

int WaveTransSrt::RestartWavToTxt()
{
    EmptyOwnSubtitles();
    return StartTranslate();
}

void WaveTransSrt::EmptyOwnSubtitles()
{
    // Stopped before the file is emptied, so that a poll finishing just now cannot fill it again.
    // Only the task's own file is emptied: a name it never wrote may be another run's result.
    StopEngine();
    CQOVReadFile file;
    if (m_srtWritten && file.Open(GetSrtPath(), CQOVReadFile::ModeWrite)) {
        file.WriteString(QString());
        file.Close();
    }
}

void WaveTransSrt::StartTranslateOnRun(bool restart)
{
    if (m_run->OnItsThread())
        return;
    if (restart)
        EmptyOwnSubtitles();
    else
        StopEngine();
    m_run->Start([this](TaskControl& control) {
        const int code = BeginTranslate(control.Token());
        if (control.Stopping())
            return;
        if (code != 0)
            Notify(NotifyFailed);
        else
            PollUnder(control);
    });
}

QString WaveTransSrt::GetSrtPath() const
{
    std::lock_guard<std::mutex> lock(m_taskIdMutex);
    return m_srtPath;
}

QString WaveTransSrt::GetTaskID() const
{
    std::lock_guard<std::mutex> lock(m_taskIdMutex);
    return m_taskId;
}

bool WaveTransSrt::IsTransAudioRunning() const
{
    return m_extracting;
}

int WaveTransSrt::GetTransAudioResult() const
{
    return m_transAudioResult;
}

void WaveTransSrt::Notify(int code)
{
    if (m_callback)
        m_callback(m_callbackContext, this, code);
}

void WaveTransSrt::StopEngine()
{
    // A notification on the run's own thread cannot wait for it: the run ends after it.
    if (m_run->OnItsThread())
        m_run->Stop();
    else
        m_run->StopAndWait();
    m_extracting = false;
}
