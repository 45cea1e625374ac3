// The subtitle task manager without the services: naming, finding, the account file, how engine
// codes become states, texts and window messages, and restarting. Engine requests go to the
// process's fake server, which answers nothing unless a test scripts it.
#include "TranscriptionService.h"
#include "subtitles/CWaveToTextMgr.h"
#include "host/QOVStringTable.h"
#include "service/TransLog.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

QString ReadAll(const QString& path)
{
    return QString::fromUtf8(ReadBytes(path));
}

const char* const kAppId = "test-app";
const char* const kKey = "test-key";
constexpr int kMessage = 8027;

class SubtitleTasks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        qunsetenv("QOV_FRAME_RATE");
        QDir(Folder()).removeRecursively();
        WriteAccount(QString::fromUtf8(kAppId), QString::fromUtf8(kKey));
        m_manager = std::make_unique<CWaveToTextMgr>();
        m_manager->SetRecvWndMsg(&m_sink, kMessage);
    }

    static QString Folder() { return TestEnvironment::Get().WorkDir() + QStringLiteral("/AITxt"); }

    // A small file that exists, for tasks that reach an engine.
    QString Audio(const char* name = "speech.wav")
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        EXPECT_TRUE(WriteBytes(path, QByteArray("RIFF\0\0\0\0WAVE", 12)));
        return path;
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_dir;
    MessageSink m_sink;
    std::unique_ptr<CWaveToTextMgr> m_manager;
};

TEST_F(SubtitleTasks, OutputNamesCarryTheRoundedFramesAndTheNextFreeNumber)
{
    const struct
    {
        const char* fps;
        const char* source;
        float start;
        float end;
        const char* name;
    } cases[] = {{"25", "/media/clip.mov", 0.0f, 1.0f, "clip_0_25.srt"},
                 {"25", "/media/clip.mov", 0.5f, 2.0f, "clip_13_50.srt"},
                 {"29.97", "/media/clip.mov", 0.0f, 1.0f, "clip_0_30.srt"},
                 {"not-a-rate", "/media/clip.mov", 0.0f, 1.0f, "clip_0_25.srt"},
                 // The source's own name is taken as it stands, markers and all.
                 {"25", "/media/a%2Fb%1%4.mp4", 0.0f, 1.0f, "a%2Fb%1%4_0_25.srt"}};
    for (const auto& c : cases) {
        qputenv("QOV_FRAME_RATE", c.fps);
        EXPECT_EQ(GetWaveSrtPath(QString::fromUtf8(c.source), QStringLiteral(".srt"), Folder(), c.start, c.end),
                  Folder() + QLatin1Char('/') + QLatin1String(c.name))
            << c.source << " at " << c.fps;
    }
    qunsetenv("QOV_FRAME_RATE");

    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString source = QStringLiteral("/media/clip.mov");
    const std::pair<const char*, const char*> steps[] = {{"clip_0_25.srt", "/clip_0_25_1.srt"},
                                                         {"clip_0_25_1.srt", "/clip_0_25_2.srt"}};
    for (const auto& [taken, following] : steps) {
        ASSERT_TRUE(WriteBytes(Folder() + QLatin1Char('/') + QLatin1String(taken), "x"));
        // A folder given with its separator gives the same names.
        const QString next = GetWaveSrtPath(source, QStringLiteral(".srt"), Folder() + QLatin1Char('/'), 0.0f, 1.0f);
        EXPECT_EQ(next, Folder() + QLatin1String(following));
    }
}

TEST_F(SubtitleTasks, AVideoTaskIsFoundWithinATenthOfASecondAndAnAudioTaskByItsFile)
{
    const QString video = QStringLiteral("/media/Clip.mov");
    const QUuid object = QUuid::createUuid();
    WaveTransSrt* first = m_manager->AddWave(1, video, 0, 0.0f, 1.0f, object, 80006);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetStateCode(), WaveTransSrt::StateCreated);
    EXPECT_EQ(first->GetLastCode(), 0);
    EXPECT_EQ(first->GetMediaPath(), video);
    EXPECT_EQ(first->GetAudioPath(), Folder() + QStringLiteral("/Clip_0_25.mp3"));
    EXPECT_EQ(first->GetSrtPath(), Folder() + QStringLiteral("/Clip_0_25.srt"));
    EXPECT_EQ(first->GetObjectId(), object);
    EXPECT_EQ(first->GetModel(), 80006);
    EXPECT_TRUE(QDir(Folder()).exists()) << "the output folder is made for the task";

    const struct
    {
        const char* path;
        int isAudio;
        float start;
        float end;
        bool same;
    } lookups[] = {{"/media/Clip.mov", 0, 0.05f, 1.05f, true},
                   {"/MEDIA/clip.MOV", 0, 0.0f, 0.95f, true},
                   {"/media/Clip.mov", 1, 0.0f, 1.0f, true}, // a video matches whatever the flag says
                   {"/media/Clip.mov", 0, 0.2f, 1.0f, false},
                   {"/media/Clip.mov", 0, 0.0f, 1.2f, false},
                   {"/media/Other.mov", 0, 0.0f, 1.0f, false},
                   {"", 0, 0.0f, 1.0f, false}};
    for (const auto& l : lookups) {
        WaveTransSrt* found = m_manager->FindData(QString::fromUtf8(l.path), l.isAudio, l.start, l.end);
        EXPECT_EQ(found == first, l.same) << l.path << ' ' << l.start << ' ' << l.end;
    }
    EXPECT_EQ(m_manager->AddWave(1, video, 0, 0.05f, 1.0f, object, 80006), first);

    WaveTransSrt* second = m_manager->AddWave(1, video, 0, 0.2f, 1.0f, QUuid(), 1737);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_NE(second->GetSrtPath(), first->GetSrtPath());
    EXPECT_EQ(m_manager->Tasks().size(), 2);

    const QString song = Audio("Song.WAV");
    WaveTransSrt* audio = m_manager->AddWave(0, song, 1, 0.0f, 1.0f, QUuid(), 1737);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->GetStateCode(), WaveTransSrt::StateAudioReady);
    EXPECT_EQ(audio->GetAudioPath(), song);
    EXPECT_TRUE(audio->GetMediaPath().isEmpty());
    EXPECT_EQ(audio->GetModel(), 0) << "the model is the cloud engine's only";
    EXPECT_EQ(m_manager->FindData(song.toLower(), 1, 3.0f, 9.0f), audio) << "an audio file matches at any range";
    EXPECT_EQ(m_manager->FindData(song, 0, 0.0f, 1.0f), nullptr) << "as a video it has no media path";

    QString srt = QStringLiteral("untouched");
    m_manager->GetWaveSrtFile(QStringLiteral("/media/none.mov"), 0, srt, 0.0f, 1.0f);
    EXPECT_EQ(srt, QStringLiteral("untouched"));
    m_manager->GetWaveSrtFile(video, 0, srt, 0.0f, 1.0f);
    EXPECT_EQ(srt, first->GetSrtPath());
}

TEST_F(SubtitleTasks, ErrorTextsNameTheStartFailureOrTheServiceCode)
{
    const QString check = ZuLoadString(QStringLiteral("NLE_CHECK_INFO"));
    const std::pair<int, QString> cases[] = {
        {-1, ZuLoadString(QStringLiteral("NLE_ACCESS_FAIL_OR_STOP")) + check},
        {-2, ZuLoadString(QStringLiteral("NLE_PREPARE_FAIL")) + check},
        {-3, ZuLoadString(QStringLiteral("NLE_UPLOAD_FAIL")) + check},
        {-4, ZuLoadString(QStringLiteral("NLE_MERGE_FAIL")) + check},
        {-5, check}, {0, check}, {12345, check},
        {26000, QStringLiteral("转写内部通用错误")}, {26605, QStringLiteral("任务正在处理中，请稍后重试")},
        {26680, QStringLiteral("引擎处理阶段错误")},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(GetWavToTextErrorInfo(code), text) << code;
    EXPECT_NE(ZuLoadString(QStringLiteral("NLE_UPLOAD_FAIL")), QStringLiteral("NLE_UPLOAD_FAIL"))
        << "the editor's table has the text";
}

TEST_F(SubtitleTasks, EngineCodesBecomeStatesTextsAndMessages)
{
    const struct
    {
        int engine;
        int code;
        int state; // -1: unchanged
        int posted;
    } cases[] = {
        {0, 30000, WaveTransSrt::StateFailed, WaveTransSrt::NotifyFailed},
        {0, 26000, WaveTransSrt::StateFailed, WaveTransSrt::NotifyFailed},
        {0, -1, WaveTransSrt::StateRecognising, WaveTransSrt::NotifyProgress}, // a failed poll: asked again
        {0, 3, WaveTransSrt::StateRecognising, WaveTransSrt::NotifyProgress},
        {0, 25999, WaveTransSrt::StateRecognising, WaveTransSrt::NotifyProgress},
        {1, 0, WaveTransSrt::StateRecognising, WaveTransSrt::NotifyProgress}, // a failed poll: asked again
        {1, -1, WaveTransSrt::StateFailed, WaveTransSrt::NotifyFailed},
        {1, 1, WaveTransSrt::StateRecognising, WaveTransSrt::NotifyProgress},
        {1, 2, WaveTransSrt::StateFinished, WaveTransSrt::NotifyFinished},
        {1, 3, -1, WaveTransSrt::NotifyProgress},
    };
    for (const auto& c : cases) {
        m_sink.Clear();
        m_manager->Clear();
        WaveTransSrt* task = m_manager->AddWave(c.engine, Audio(), 1, 0.0f, 1.0f, QUuid(), 80001);
        ASSERT_NE(task, nullptr);
        task->Progress(c.code);
        EXPECT_EQ(task->GetStateCode(), c.state < 0 ? int(WaveTransSrt::StateAudioReady) : c.state)
            << c.engine << '/' << c.code;
        EXPECT_EQ(task->GetLastCode(), c.code);
        EXPECT_EQ(m_sink.DeliveredCodes(), QList<int>{c.posted}) << c.engine << '/' << c.code;
        if (c.state == WaveTransSrt::StateFailed) {
            // One full stop: the reason's own, or the format's.
            const QString reason = GetWavToTextErrorInfo(c.code);
            EXPECT_EQ(task->GetState(), QStringLiteral("转写失败, ") + reason +
                                            (reason.endsWith(QStringLiteral("。")) ? QString() : QStringLiteral(".")));
        } else if (c.state == WaveTransSrt::StateRecognising) {
            EXPECT_EQ(task->GetState(), QStringLiteral("生成中，请稍候..."));
        } else if (c.state == WaveTransSrt::StateFinished) {
            EXPECT_EQ(task->GetState(), QStringLiteral("转写成功！"));
        }
    }
}

TEST_F(SubtitleTasks, ASubtitleFileWhoseNameWasTakenMeanwhileGetsTheNextNumber)
{
    ScriptTranscription(m_env.Server(), "task-11",
                        R"({"ok":0,"err_no":0,"failed":null,"data":"[{\"bg\":\"0\",\"ed\":\"900\",\"onebest\":\"新的\",\"speaker\":\"1\"}]"})");
    WaveTransSrt* task = m_manager->AddWave(0, Audio(), 1, 0.0f, 1.0f, QUuid(), 0);
    ASSERT_NE(task, nullptr);
    const QString named = task->GetSrtPath();
    // Another run of the same source, in this process or another, finished first.
    ASSERT_TRUE(WriteBytes(named, "earlier result"));
    m_manager->StartTranslate(task);
    ASSERT_TRUE(m_sink.WaitUntil([&] { return !m_sink.Codes().isEmpty(); }));
    EXPECT_EQ(m_sink.Codes(), QList<int>{WaveTransSrt::NotifyFinished});
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateFinished);
    EXPECT_EQ(task->GetLastCode(), 9);
    EXPECT_EQ(ReadAll(named), QStringLiteral("earlier result")) << "the earlier result was written over";
    EXPECT_EQ(task->GetSrtPath(), QString(named).replace(QStringLiteral(".srt"), QStringLiteral("_2.srt")));
    EXPECT_TRUE(ReadAll(task->GetSrtPath()).contains(QStringLiteral("新的")));
    const auto logged = GetSubtitlesLog().FindTask(QStringLiteral("task-11"));
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Files, task->GetSrtPath());
}

TEST_F(SubtitleTasks, StatesBeforeRecognitionShowTheEnginesLastWord)
{
    WaveTransSrt* file = m_manager->AddWave(0, Audio("a.wav"), 1, 0.0f, 1.0f, QUuid(), 0);
    WaveTransSrt* cloud = m_manager->AddWave(1, Audio("b.wav"), 1, 0.0f, 1.0f, QUuid(), 80001);
    ASSERT_TRUE(file && cloud);
    file->SetLastCode(-3);
    EXPECT_EQ(file->GetState(), GetWavToTextErrorInfo(-3));
    EXPECT_EQ(cloud->GetState(), QString()) << "the cloud client has said nothing yet";
}

TEST_F(SubtitleTasks, TheAccountIsReadAtStartAndWrittenBackKeepingTheRestOfTheFile)
{
    const QByteArray before = "; the editor's account file\n[Other]\nKeep=1\n\n[WaveToText]\n; set by the subtitles tool\n"
                              "ID = old-id\nKey=old-key\nRegion=cn\n";
    ASSERT_TRUE(WriteBytes(CWaveToTextMgr::AccountFilePath(), before));
    CWaveToTextMgr manager;
    EXPECT_EQ(manager.GetUserID(), QStringLiteral("old-id"));
    EXPECT_EQ(manager.GetUserKey(), QStringLiteral("old-key"));
    EXPECT_FALSE(manager.IsUserInfoEmpty());

    EXPECT_TRUE(manager.SetUserIDandKey(QStringLiteral("new-id"), QString()));
    EXPECT_TRUE(manager.IsUserInfoEmpty());
    EXPECT_EQ(ReadAll(CWaveToTextMgr::AccountFilePath()),
              QStringLiteral("; the editor's account file\n[Other]\nKeep=1\n\n[WaveToText]\n; set by the subtitles tool\n"
                             "ID=new-id\nKey=\nRegion=cn\n"));
    EXPECT_EQ(QDir(QFileInfo(CWaveToTextMgr::AccountFilePath()).absolutePath())
                  .entryList(QDir::Files | QDir::Hidden)
                  .size(),
              1)
        << "no temporary file is left beside it";
    EXPECT_TRUE(CWaveToTextMgr().IsUserInfoEmpty()) << "the empty key was written, not left out";

    QFile::remove(CWaveToTextMgr::AccountFilePath());
    EXPECT_TRUE(CWaveToTextMgr().IsUserInfoEmpty());
}

TEST_F(SubtitleTasks, AnIncompleteAccountLeavesTheTasksWithTheOldOne)
{
    WaveTransSrt* task = m_manager->AddWave(0, Audio(), 1, 0.0f, 1.0f, QUuid(), 0);
    ASSERT_NE(task, nullptr);
    const auto preparedAs = [&] {
        m_env.Server().Reset();
        m_env.Server().Reply("POST", kPrepare, 500, "{}");
        task->StartTranslate();
        const auto requests = m_env.Server().RequestsTo(kPrepare);
        return requests.empty() ? std::string("<none>") : requests.back().params.find("app_id")->second;
    };
    m_manager->SetUserIDandKey(QStringLiteral("new-id"), QString());
    EXPECT_EQ(preparedAs(), kAppId);
    m_manager->SetUserIDandKey(QStringLiteral("new-id"), QStringLiteral("new-key"));
    EXPECT_EQ(preparedAs(), "new-id");
}

TEST_F(SubtitleTasks, AFailedStartLeavesItsCodeAndARestartLeavesAFileItNeverWroteAlone)
{
    m_env.Server().Reply("POST", kPrepare, 500, "{}");
    WaveTransSrt* task = m_manager->AddWave(0, Audio(), 1, 0.0f, 1.0f, QUuid(), 0);
    ASSERT_NE(task, nullptr);
    m_manager->StartTranslate(task);
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateFailed);
    EXPECT_EQ(task->GetLastCode(), -2);
    // Why the request failed on its way is part of the words.
    EXPECT_EQ(task->GetState(), QStringLiteral("转写失败, %1（转写服务请求失败，HTTP状态码：500）.")
                                    .arg(GetWavToTextErrorInfo(-2).chopped(1)));

    // Another run's result took the name meanwhile: the restart empties only the task's own file.
    ASSERT_TRUE(WriteBytes(task->GetSrtPath(), "1\r\n00:00:00,000 --> 00:00:01,000\r\nold\r\n\r\n"));
    m_manager->RestartTranslate(task);
    EXPECT_EQ(ReadAll(task->GetSrtPath()), QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,000\r\nold\r\n\r\n"));
    EXPECT_EQ(task->GetLastCode(), -2);
    EXPECT_EQ(m_env.Server().RequestsTo(kPrepare).size(), 2u);
    EXPECT_TRUE(m_sink.DeliveredCodes().isEmpty()) << "a start's result goes to its caller, not to the window";
}

TEST_F(SubtitleTasks, NotificationsArePostedWithTheTaskAndAFailedStartAfterExtractionToo)
{
    m_env.Server().Reply("POST", kPrepare, 500, "{}");
    WaveTransSrt* task = m_manager->AddWave(0, Audio(), 1, 0.0f, 1.0f, QUuid(), 0);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(m_manager->GetWavTransResulut(task, WaveTransSrt::NotifyExtracting), 1);
    m_manager->RefreshSubtProgress(task, WaveTransSrt::NotifyExtractionFailed);
    EXPECT_EQ(m_sink.DeliveredCodes(), (QList<int>{2, 3}));

    m_sink.Clear();
    m_manager->GetWavTransResulut(task, WaveTransSrt::NotifyAudioExtracted);
    EXPECT_EQ(task->GetStateCode(), WaveTransSrt::StateFailed);
    EXPECT_EQ(m_sink.DeliveredCodes(), QList<int>{WaveTransSrt::NotifyFailed});

    m_sink.Clear();
    m_manager->SetRecvWndMsg(nullptr, 0);
    m_manager->RefreshSubtProgress(task, 5);
    EXPECT_TRUE(m_sink.DeliveredCodes().isEmpty()) << "a manager without a window posts to none";
}

TEST_F(SubtitleTasks, DeletingATaskOfAnotherManagerIsIgnored)
{
    CWaveToTextMgr other;
    WaveTransSrt* foreign = other.AddWave(1, Audio(), 1, 0.0f, 1.0f, QUuid(), 80001);
    WaveTransSrt* own = m_manager->AddWave(1, Audio("own.wav"), 1, 0.0f, 1.0f, QUuid(), 80001);
    m_manager->DeleteWave(foreign);
    m_manager->DeleteWave(nullptr);
    EXPECT_EQ(m_manager->Tasks(), QList<WaveTransSrt*>{own});
    EXPECT_EQ(other.Tasks(), QList<WaveTransSrt*>{foreign});
    m_manager->DeleteWave(own);
    EXPECT_TRUE(m_manager->Tasks().isEmpty());
}

} // namespace
