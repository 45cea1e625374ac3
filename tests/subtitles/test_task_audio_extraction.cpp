// A video task's audio extraction: the attempts and their pauses, stopping it, and a task destroyed
// while its extraction runs.
#include "MediaFixtures.h"
#include "service/Retry.h"
#include "service/TaskRun.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/TranscodeResult.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Attempts as a task's run makes them: until one succeeds, ten at most, a pause apart.
struct Attempting
{
    std::atomic<int> attempts{0};
    std::atomic<int> result{1};
    TaskRun run;

    void Start(const std::function<int(TaskControl&)>& attempt)
    {
        run.Start([this, attempt](TaskControl& control) {
            result = Retry::Attempts(
                control, WaveTransSrt::kExtractionAttempts, WaveTransSrt::kExtractionPause,
                [&] {
                    ++attempts;
                    return attempt(control);
                },
                TRANSCODE_CANCELLED);
        });
    }
};

TEST(AudioExtractionAttempts, TriesTenTimesKeepingTheLastFailureOrStopsAtASuccess)
{
    const struct
    {
        int succeedOn, failure, attempts, result;
    } cases[] = {{0, -7, WaveTransSrt::kExtractionAttempts, -7}, {3, -2, 3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.succeedOn);
        Attempting attempting;
        attempting.Start([&](TaskControl&) { return attempting.attempts == c.succeedOn ? 0 : c.failure; });
        ASSERT_TRUE(attempting.run.Control()->WaitDone(20s));
        EXPECT_EQ(attempting.attempts, c.attempts);
        EXPECT_EQ(attempting.result, c.result);
    }
}

TEST(AudioExtractionAttempts, StoppingReachesTheRunningAttemptAndNoAttemptFollows)
{
    std::atomic<bool> inside{false};
    Attempting attempting;
    attempting.Start([&](TaskControl& control) {
        inside = true;
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (!control.Stopping() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(1ms);
        return TRANSCODE_CANCELLED;
    });
    while (!inside)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(attempting.run.StopAndWait(5s)) << "the attempt did not hear the stop";
    EXPECT_EQ(attempting.attempts, 1) << "no attempt follows a stop";
    EXPECT_EQ(attempting.result, TRANSCODE_CANCELLED);
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
