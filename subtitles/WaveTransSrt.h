#pragma once

#include "service/QOVAIGCExport.h"

#include <QString>
#include <QUuid>

#include <pplx/pplxtasks.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

struct TaskError;

class CAudio2TxtNetOper;
class CWaveToText;
class RecognitionEngine;
class TaskControl;
class TaskRun;

// One source file and frame range turned into a subtitle file by one recognition engine: engine 0
// is the file-transcription service, any other number the cloud recognition service. A video's
// audio is first extracted to an MP3 file. Extraction and polling run on one run of the task's own,
// one after the other; every notification comes from it.
//
// The state and the last code are written by the run and read by the window's thread: they are
// atomic, and everything else the run writes is read under a lock.
class QOVAIGC_API WaveTransSrt
{
public:
    enum State : int32_t {
        StateCreated = 0,     // a video whose audio is not extracted yet
        StateAudioReady = 1,  // the audio to recognise exists
        StateRecognising = 3,
        StateFinished = 4,    // the subtitle file is written
        StateFailed = 5,
    };
    // The third argument of the notification callback, and the word parameter of the manager's
    // window message.
    enum Notification : int32_t {
        NotifyAudioExtracted = 1,
        NotifyExtracting = 2,
        NotifyExtractionFailed = 3, // the extraction gave up (a host may report one through the manager too)
        NotifyFailed = 4,
        NotifyProgress = 5,
        NotifyFinished = 6,
    };

    using NotifyCallback = int (*)(void* context, WaveTransSrt* task, int code);

    WaveTransSrt();
    explicit WaveTransSrt(int engine);
    // Stops the extraction (waiting for its thread) and the engine before anything goes away.
    virtual ~WaveTransSrt();
    WaveTransSrt(const WaveTransSrt&) = delete;
    WaveTransSrt& operator=(const WaveTransSrt&) = delete;

    // Recognition of the audio file: 0 started (state 3), else the engine's code (state 5).
    int StartTranslate();
    // Cancels the requests of a start under way (token, upload, create, or prepare, upload and
    // merge), from any thread: the start then fails at once. Later starts are not affected.
    void CancelStart();
    // The engines' progress callback; task is the WaveTransSrt.
    static void ProgressCb(void* task, int code);
    // One code from the engine's polling thread, turned into a state and a notification.
    void Progress(int code);
    // What the state means for the user.
    QString GetState() const;
    // The failed recognition as a task's error: its kind, code, the state's words, whose codes.
    TaskError Failure() const;

    // Starts extracting the video's audio on the task's run (stopping what still runs first);
    // notifies 2 at once and 1 when the audio is there. Returns 0.
    int StartTransAudio();
    // Stops a running extraction and waits for it.
    void StopTransAudio();
    // One extraction attempt on the caller's thread: the extractor's code (0 done).
    int TransVideoToAudio();

    void SetWavToSrtCallBack(NotifyCallback callback, void* context);
    // The file-transcription account.
    void InitEnv(const QString& id, const QString& key);
    // Stops the file-transcription engine's polling: 1 when it stopped cleanly, else 0.
    int StopWavToTxt();
    // Empties the old subtitle file, stops the engine and starts recognition again.
    int RestartWavToTxt();
    // StartTranslate (or RestartWavToTxt) on the task's own run rather than the caller's thread,
    // for a window, which must not wait on the network: a start that fails is notified (4) like
    // a task that failed, with the start's code as the last code.
    void StartTranslateOnRun(bool restart);
    // Whether the last start of recognition failed before the service had a task.
    bool StartFailed() const { return m_startFailed; }
    // Stops all the task runs: a start under way, the extraction and the engine. No notification
    // follows once it returns.
    void Stop();

    int GetEngine() const { return m_engine; }
    // The source video; empty for an audio task.
    QString GetMediaPath() const { return m_mediaPath; }
    // The file that is recognised.
    QString GetAudioPath() const { return m_audioPath; }
    // The subtitle file: named when the task was made, renumbered by the engine when another
    // result took that name meanwhile.
    QString GetSrtPath() const;
    QUuid GetObjectId() const { return m_objectId; }
    int GetStateCode() const { return m_state; }
    int GetLastCode() const { return m_lastCode; }
    void SetLastCode(int code) { m_lastCode = code; }
    // The service's task identifier once a start succeeded.
    QString GetTaskID() const;
    int IsAudio() const { return m_isAudio; }
    float GetRangeStart() const { return m_rangeStart; }
    float GetRangeEnd() const { return m_rangeEnd; }
    int GetModel() const { return m_model; }
    // Whether the extraction still works.
    bool IsTransAudioRunning() const;
    // The outcome of the last extraction: kTransAudioPending until one has ended since it was
    // started, then the extractor's code (0 done). A host tells a video task that gave up from one
    // still on its way with it.
    static constexpr int kTransAudioPending = 1;
    int GetTransAudioResult() const;
    // How often the extraction is tried, and how long apart.
    static constexpr int kExtractionAttempts = 10;
    static constexpr std::chrono::milliseconds kExtractionPause{100};

    // The steps of the subtitle chain, on the caller's thread under control (a run of the pool),
    // notifying as the task's own run does: the video's audio (attempts a moment apart; 0, or
    // the extractor's last code, notified 3 when it gave up); recognition's start (as
    // StartTranslate, cancelled with control); and its polls until it has an end or is stopped.
    int ExtractUnder(TaskControl& control);
    int BeginTranslate(const pplx::cancellation_token& cancel);
    void PollUnder(TaskControl& control);

    // The engines themselves, for the module's own callers.
    CWaveToText& WaveToText() { return *m_waveToText; }
    CAudio2TxtNetOper& CloudClient() { return *m_cloud; }

private:
    friend class CWaveToTextMgr;

    void Notify(int code);
    // Stops the run (extraction or polls) and waits for it, unless called from it.
    void StopEngine();
    void EmptyOwnSubtitles();
    // The extraction as the task's own run makes it: recognition may follow on the same run.
    void Extraction(TaskControl& control);
    // One extraction attempt that stop cuts short: the extractor's code, 0 done.
    int ExtractAudio(const std::function<bool()>& stop);

    int32_t m_engine = 0;
    QString m_mediaPath;
    QString m_audioPath;
    QString m_srtPath;
    QUuid m_objectId;
    std::atomic<int32_t> m_state{StateCreated};
    std::atomic<int32_t> m_lastCode{-1};
    std::atomic<bool> m_srtWritten{false}; // the subtitle file is the task's own
    mutable std::mutex m_taskIdMutex; // the identifier, SRT path and write failure: written by workers
    QString m_taskId;
    QString m_writeFailure; // why the finished task's subtitle file could not be written
    int32_t m_isAudio = 1;
    float m_rangeStart = 0.0f;
    float m_rangeEnd = -1.0f;
    int32_t m_model = 0;
    std::unique_ptr<CAudio2TxtNetOper> m_cloud;
    std::unique_ptr<CWaveToText> m_waveToText;
    // The chosen one of the two, after them: it goes first.
    std::unique_ptr<RecognitionEngine> m_recognition;
    NotifyCallback m_callback = nullptr;
    void* m_callbackContext = nullptr;
    // The cancellation of the start under way; a task being destroyed starts nothing more.
    struct StartCancel;
    std::shared_ptr<StartCancel> m_startCancel;
    std::atomic<bool> m_extracting{false};
    std::atomic<bool> m_startFailed{false};
    std::atomic<int> m_transAudioResult{kTransAudioPending};
    // Recognition was started from the extraction's notification: the run polls next.
    std::atomic<bool> m_pollAfter{false};
    // Last: it goes first, and nothing of the run is left when the rest goes.
    std::unique_ptr<TaskRun> m_run;
};
