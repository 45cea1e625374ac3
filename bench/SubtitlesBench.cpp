// One video through the whole subtitle chain, as the subtitles window runs it: the manager makes
// the task, the extraction thread extracts the audio, the engine uploads it and the service
// recognises it, and the SRT file is written. Prints the time of each stage and the peak resident
// memory of this process and of the programs it ran.
//   bench_subtitles VIDEO ENGINE(0|1)
// The settings (QOV_APP_DIR) and the account (QOV_CONFIG_DIR) must point at running services.
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToText.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SrtWriter.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Timeline
{
    std::mutex mutex;
    std::condition_variable changed;
    CWaveToTextMgr* manager = nullptr;
    Clock::time_point extracted;
    Clock::time_point started;
    Clock::time_point ended;
    int endCode = 0;
    bool done = false;
};

Timeline g_timeline;

// Stands between the task and its manager to see when each stage ends.
int Observe(void* context, WaveTransSrt* task, int code)
{
    auto* timeline = static_cast<Timeline*>(context);
    if (code == WaveTransSrt::NotifyAudioExtracted) {
        timeline->extracted = Clock::now();
        timeline->manager->GetWavTransResulut(task, code);
        timeline->started = Clock::now();
        if (task->GetLastCode() == 0)
            return 1;
    }
    const bool cloudRetry = code == WaveTransSrt::NotifyFailed && task->GetEngine() != 0 && task->GetLastCode() == 0;
    if (code == WaveTransSrt::NotifyFinished || (code == WaveTransSrt::NotifyFailed && !cloudRetry) ||
        code == WaveTransSrt::NotifyAudioExtracted) {
        std::lock_guard<std::mutex> lock(timeline->mutex);
        timeline->ended = Clock::now();
        timeline->endCode = code;
        timeline->done = true;
        timeline->changed.notify_all();
    }
    return 1;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Fetching the result and writing the file happen inside the last poll; they are timed by doing
// the same once more after the task.
double TimeWriting(WaveTransSrt& task)
{
    const Clock::time_point begin = Clock::now();
    if (task.GetEngine() == 0) {
        task.WaveToText().SaveToSrtFile();
    } else {
        std::vector<SrtLineInfo> lines = task.CloudClient().GetLines();
        QList<SrtLineInfo*> pointers;
        for (SrtLineInfo& line : lines)
            pointers << &line;
        SrtWriter::WriteTextFile(task.GetSrtPath(), SrtWriter::BuildSrt(pointers));
        SrtWriter::WriteTextFile(SrtWriter::CompanionPath(task.GetSrtPath()),
                                 QString::fromStdString(task.CloudClient().GetResultText()));
    }
    return Seconds(Clock::now() - begin);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_subtitles VIDEO ENGINE(0|1)\n");
        return 2;
    }
    const QString video = QString::fromLocal8Bit(argv[1]);
    const int engine = std::atoi(argv[2]);
    CWaveToTextMgr manager;
    g_timeline.manager = &manager;
    WaveTransSrt* task = manager.AddWave(engine, video, 0, 0.0f, 1.0f, QUuid(), 80001);
    if (!task) {
        std::fprintf(stderr, "no task: is the transcription account set?\n");
        return 1;
    }
    task->SetWavToSrtCallBack(&Observe, &g_timeline);

    const Clock::time_point begin = Clock::now();
    manager.StartTranslate(task);
    {
        std::unique_lock<std::mutex> lock(g_timeline.mutex);
        if (!g_timeline.changed.wait_for(lock, std::chrono::minutes(30), [] { return g_timeline.done; })) {
            std::fprintf(stderr, "the task did not end within 30 minutes\n");
            return 1;
        }
    }
    if (g_timeline.endCode != WaveTransSrt::NotifyFinished) {
        std::fprintf(stderr, "the task failed: %s\n", task->GetState().toUtf8().constData());
        return 1;
    }
    // The engine's thread has finished its work; stop it before timing the repeat.
    if (engine == 0)
        task->StopWavToTxt();
    else
        task->CloudClient().Stop();
    const double writing = TimeWriting(*task);

    const double extraction = Seconds(g_timeline.extracted - begin);
    const double upload = Seconds(g_timeline.started - g_timeline.extracted);
    const double waiting = Seconds(g_timeline.ended - g_timeline.started) - writing;
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("extraction %.3f\nupload %.3f\nwaiting %.3f\nwriting %.3f\nclient %.3f\n", extraction, upload,
                waiting < 0 ? 0.0 : waiting, writing, extraction + upload + writing);
    std::printf("peak_rss_kb %ld\nchildren_peak_rss_kb %ld\nsrt %s\naudio_bytes %lld\n", self.ru_maxrss,
                children.ru_maxrss, task->GetSrtPath().toUtf8().constData(),
                static_cast<long long>(QFileInfo(task->GetAudioPath()).size()));
    return 0;
}
