// A video task's audio extraction: the attempts and their pauses, stopping it, and a task destroyed
// while its extraction runs.
#include "MediaFixtures.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/TaskAudioExtraction.h"
#include "subtitles/TranscodeResult.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// What the thread did, for the test's thread to wait on.
struct Outcome
{
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<int> attempts{0};
    int recorded = TaskAudioExtraction::kPending;
    int successes = 0;
    bool ended = false;

    bool WaitForEnd()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 20s, [this] { return ended; });
    }
};

// An extraction whose attempts fail until attempt number succeedOn (0: never).
std::unique_ptr<TaskAudioExtraction> Extraction(Outcome& outcome, int succeedOn, int failure = -2)
{
    return std::make_unique<TaskAudioExtraction>(
        [&outcome, succeedOn, failure](const std::function<bool()>&) {
            return ++outcome.attempts == succeedOn ? 0 : failure;
        },
        [&outcome](int code) {
            std::lock_guard<std::mutex> lock(outcome.mutex);
            outcome.recorded = code;
            if (code != 0) {
                outcome.ended = true;
                outcome.changed.notify_all();
            }
        },
        [&outcome] {
            std::lock_guard<std::mutex> lock(outcome.mutex);
            ++outcome.successes;
            outcome.ended = true;
            outcome.changed.notify_all();
        });
}

TEST(AudioExtractionThread, TriesTenTimesRecordingTheLastFailureOrStopsAtASuccess)
{
    const struct
    {
        int succeedOn, failure, attempts, result, successes;
    } cases[] = {{0, -7, TaskAudioExtraction::kAttempts, -7, 0}, {3, -2, 3, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.succeedOn);
        Outcome outcome;
        auto extraction = Extraction(outcome, c.succeedOn, c.failure);
        extraction->Start();
        ASSERT_TRUE(outcome.WaitForEnd());
        extraction->Stop();
        EXPECT_EQ(outcome.attempts, c.attempts);
        EXPECT_EQ(outcome.recorded, c.result);
        EXPECT_EQ(outcome.successes, c.successes);
        EXPECT_EQ(extraction->Result(), c.result);
        EXPECT_FALSE(extraction->Running());
    }
}

TEST(AudioExtractionThread, StoppingReachesTheRunningAttemptAndEndsWithoutSuccess)
{
    std::atomic<bool> inside{false};
    std::atomic<int> attempts{0};
    std::atomic<int> successes{0};
    TaskAudioExtraction extraction(
        [&](const std::function<bool()>& stop) {
            ++attempts;
            inside = true;
            const auto until = std::chrono::steady_clock::now() + 20s;
            while (!stop() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(1ms);
            return TRANSCODE_CANCELLED;
        },
        nullptr, [&] { ++successes; });
    extraction.Start();
    EXPECT_TRUE(extraction.Running());
    while (!inside)
        std::this_thread::sleep_for(1ms);
    extraction.Stop();
    EXPECT_FALSE(extraction.Running());
    EXPECT_TRUE(extraction.Cancelled());
    EXPECT_EQ(attempts, 1) << "no attempt follows a stop";
    EXPECT_EQ(successes, 0);

    // Started again, it runs afresh.
    inside = false;
    extraction.Start();
    while (!inside)
        std::this_thread::sleep_for(1ms);
    extraction.Stop();
    EXPECT_EQ(attempts, 2);
}

class VideoTasks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnvironment::Get().Server().Reset();
        QDir(Folder()).removeRecursively();
        m_manager.SetRecvWndMsg(&m_sink, 8027);
    }

    static QString Folder() { return TestEnvironment::Get().WorkDir() + QStringLiteral("/AITxt"); }

    MessageSink m_sink;
    CWaveToTextMgr m_manager;
};

TEST_F(VideoTasks, OneSynchronousAttemptWritesTheAudioBesideTheSubtitles)
{
    WaveTransSrt* task = m_manager.AddWave(1, MediaFixtures::VideoWithAudio(), 0, 0.0f, 1.0f, QUuid(), 80001);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->TransVideoToAudio(), 0);
    const MediaFixtures::Decoded audio = MediaFixtures::Decode(task->GetAudioPath());
    ASSERT_TRUE(audio.ok) << task->GetAudioPath().toStdString();
    EXPECT_TRUE(audio.codec.startsWith(QStringLiteral("mp3"))) << audio.codec.toStdString();
    EXPECT_EQ(audio.sampleRate, 16000);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_NEAR(audio.Seconds(), 10.0, 0.2) << "the editor's extractor takes the whole track";
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateCreated) << "one attempt changes no state";
}

TEST_F(VideoTasks, AVideoWithoutAudioGivesUpInItsFirstStateAndSaysSo)
{
    WaveTransSrt* task = m_manager.AddWave(1, MediaFixtures::VideoWithoutAudio(), 0, 0.0f, 1.0f, QUuid(), 80001);
    ASSERT_NE(task, nullptr);
    // The extraction may give up before the start has returned: only its end is awaited.
    m_manager.StartTranslate(task);
    ASSERT_TRUE(m_sink.WaitUntil([&] { return task->GetTransAudioResult() != WaveTransSrt::kTransAudioPending; }));
    EXPECT_EQ(task->GetTransAudioResult(), TRANSCODE_NO_AUDIO);
    EXPECT_EQ(task->GetLastCode(), TRANSCODE_NO_AUDIO);
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateCreated);
    EXPECT_FALSE(task->IsTransAudioRunning());
    // The task itself tells that its extraction gave up: nobody has to watch for it.
    ASSERT_TRUE(m_sink.WaitUntil([&] { return m_sink.Codes().size() >= 2; }));
    EXPECT_EQ(m_sink.Codes(), (QList<int>{WaveTransSrt::NotifyExtracting, WaveTransSrt::NotifyExtractionFailed}));
    EXPECT_FALSE(QFile::exists(task->GetAudioPath()));
}

TEST_F(VideoTasks, ATaskDeletedWhileItsAudioIsExtractedStopsTheExtractionFirst)
{
    // Its conversion takes seconds, so the deletion finds it under way.
    const QString source = MediaFixtures::TenMinutesOfSound();
    for (int engine : {0, 1}) {
        m_sink.Clear();
        m_manager.SetUserIDandKey(QStringLiteral("id"), QStringLiteral("key"));
        WaveTransSrt* task = m_manager.AddWave(engine, source, 0, 0.0f, 1.0f, QUuid(), 80001);
        ASSERT_NE(task, nullptr);
        m_manager.StartTranslate(task);
        EXPECT_TRUE(task->IsTransAudioRunning());
        m_manager.DeleteWave(task);
        EXPECT_TRUE(m_manager.Tasks().isEmpty());
        EXPECT_EQ(m_sink.DeliveredCodes(), QList<int>{WaveTransSrt::NotifyExtracting}) << engine;
        EXPECT_TRUE(QDir(Folder()).entryList(QDir::Files | QDir::Hidden).isEmpty())
            << "no audio, finished or not, is left: "
            << QDir(Folder()).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' ')).toStdString();
    }
}

} // namespace
