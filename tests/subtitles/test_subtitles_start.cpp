#include "MediaFixtures.h"
#include "SubtitlesWindowFixture.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CZuTabCtrl.h"
#include "subtitles/CWaveToTextMgr.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>

namespace {

using MediaFixtures::Bytes;

using Id = CAudio2TxtWnd::ControlId;

const QString kGenerating = QStringLiteral("生成中，请稍候...");
const QString kGenerated = QStringLiteral("生成成功！");

TEST_F(SubtitlesWindow, WithoutAnAccountTabASaysSoAndGivesTheButtonBack)
{
    WriteAccount(QString(), QStringLiteral("key-without-id"));
    auto window = Open(m_panel);
    Start(*window, File("speech.wav"), QUuid::createUuid());
    EXPECT_EQ(Status(*window), QStringLiteral("语音转写用户信息为空"));
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_FALSE(window->IsBusy());
    EXPECT_TRUE(window->Manager().Tasks().isEmpty());
    EXPECT_TRUE(m_env.Server().RequestsTo(kPrepare).empty());
}

TEST_F(SubtitlesWindow, TabARunsTheSelectionAndTheOtherFilesToTheirSubtitleFiles)
{
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    const QUuid otherObject = QUuid::fromString(QStringLiteral("{7cf60c8a-f809-4c54-91d8-12ee7f6539cd}"));
    const QHash<QString, QString> others{{File("second.wav"), otherObject.toString(QUuid::WithBraces)}};
    window->SetSelection(File("speech.wav"), object, &others);
    window->Button(Id::IdStart)->click();
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled());
    // Only the end is waited for: a quick task may pass "generating" between two looks.
    ASSERT_TRUE(WaitFor([&] { return m_panel.results.size() == 2 && Status(*window) == kGenerated; }))
        << Status(*window).toStdString();
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_FALSE(window->IsBusy());
    EXPECT_EQ(m_env.Server().RequestsTo(kPrepare).size(), 2u);
    for (const auto& result : m_panel.results) {
        const bool selected = result.object == object;
        EXPECT_TRUE(selected || result.object == otherObject);
        EXPECT_EQ(result.path, window->OutputFolder() + (selected ? QStringLiteral("speech_0_25.srt")
                                                                  : QStringLiteral("second_0_25.srt")));
        EXPECT_TRUE(Bytes(result.path).contains("第一句")) << result.path.toStdString();
    }
}

TEST_F(SubtitlesWindow, TabBRecognisesWithTheChosenModel)
{
    ScriptCloud();
    auto window = Open(m_panel);
    window->Tabs()->setCurrentIndex(1);
    window->ModelList()->SetCurSel(1);
    const QUuid object = QUuid::createUuid();
    Start(*window, File("interview.mp3"), object);
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerated; })) << Status(*window).toStdString();
    ASSERT_EQ(m_panel.results.size(), 1);
    EXPECT_EQ(m_panel.results[0].object, object);
    EXPECT_TRUE(Bytes(m_panel.results[0].path).contains("hello"));
    const auto created = m_env.Server().RequestsTo(kCreate);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_NE(created[0].body.find("\"pid\":80006"), std::string::npos) << created[0].body;
    EXPECT_TRUE(m_env.Server().RequestsTo(kPrepare).empty()) << "tab B never uses the transcription service";
}

TEST_F(SubtitlesWindow, AFinishedSourceIsTranscribedAgainOnlyWhenTheUserSaysYes)
{
    auto window = Open(m_panel);
    Start(*window, File("speech.wav"), QUuid::createUuid());
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerated; }));
    ASSERT_EQ(m_panel.results.size(), 1);

    window->answer = false;
    window->Button(Id::IdStart)->click();
    EXPECT_EQ(window->questions, QStringList{QStringLiteral("转写已成功，是否重新转写？")});
    EXPECT_EQ(Status(*window), kGenerated);
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_EQ(m_env.Server().RequestsTo(kPrepare).size(), 1u);

    window->answer = true;
    window->Button(Id::IdStart)->click();
    EXPECT_EQ(window->questions.size(), 2);
    ASSERT_TRUE(WaitFor([&] { return m_env.Server().RequestsTo(kPrepare).size() == 2u; }));
    EXPECT_EQ(window->Manager().Tasks().size(), 1) << "the same task again";
    ASSERT_TRUE(WaitFor([&] { return m_panel.results.size() == 2 && Status(*window) == kGenerated; }));
    EXPECT_EQ(m_panel.results[1].path, m_panel.results[0].path);
    EXPECT_EQ(Bytes(m_panel.results[1].path).count("-->"), 1) << "the run again replaced its own subtitles";
}

TEST_F(SubtitlesWindow, ARefusedAccountFailsTheStartAndTheNextStartTriesAgainAtOnce)
{
    m_env.Server().Reply("POST", kPrepare, 200, R"({"ok":-1,"err_no":"26601","failed":"illegal"})");
    auto window = Open(m_panel);
    Start(*window, File("speech.wav"), QUuid::createUuid());
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled()) << "the start's requests run on a worker";
    ASSERT_TRUE(WaitFor([&] { return !window->IsBusy(); }));
    EXPECT_EQ(Status(*window), QStringLiteral("转写失败, ") + GetWavToTextErrorInfo(-2) + QStringLiteral("."));
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_FALSE(window->IsBusy());

    m_env.Server().Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":"task-8"})");
    window->Button(Id::IdStart)->click();
    EXPECT_TRUE(window->questions.isEmpty());
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerated; })) << Status(*window).toStdString();
    EXPECT_EQ(m_panel.results.size(), 1);
}

TEST_F(SubtitlesWindow, StartingARunningSourceOnlyShowsItsState)
{
    ScriptProgress({3});
    auto window = Open(m_panel);
    Start(*window, File("long.wav"), QUuid::createUuid());
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerating; }));
    // The user selects it again (which gives the button back) and presses start once more.
    Start(*window, window->Manager().Tasks()[0]->GetAudioPath(), QUuid::createUuid());
    EXPECT_EQ(Status(*window), kGenerating);
    EXPECT_EQ(m_env.Server().RequestsTo(kPrepare).size(), 1u);
    EXPECT_TRUE(window->questions.isEmpty());
}

TEST_F(SubtitlesWindow, ClosingTheWindowStopsItsTasksWithoutWaitingForTheService)
{
    m_env.Server().Stall("POST", kProgress);
    auto window = Open(m_panel);
    Start(*window, File("speech.wav"), QUuid::createUuid());
    ASSERT_TRUE(WaitFor([&] { return !m_env.Server().RequestsTo(kProgress).empty(); }));
    window.reset();
    // The stalled query is answered only when the test releases it: the window did not wait for it.
    EXPECT_EQ(m_env.Server().Answered(kProgress), 0u);
    EXPECT_TRUE(m_panel.results.isEmpty());
}

TEST_F(SubtitlesWindow, TheStartsRequestsNeverHoldTheWindowAndACloseCutsThemShort)
{
    // Each step a start waits on: the transcription service's prepare and upload, the object
    // store's upload on tab B.
    struct Case
    {
        const char* what;
        int tab;
        bool video; // recognition then starts on the extraction's thread
        std::function<void(FakeServer&)> stall;
        std::function<size_t(FakeServer&)> reached;
    };
    const std::string store = std::string("/") + TestEnvironment::kStoreBucket + "/";
    const Case cases[] = {
        {"prepare", 0, false, [](FakeServer& s) { s.Stall("POST", kPrepare); },
         [](FakeServer& s) { return s.RequestsTo(kPrepare).size(); }},
        {"prepare after a video's extraction", 0, true, [](FakeServer& s) { s.Stall("POST", kPrepare); },
         [](FakeServer& s) { return s.RequestsTo(kPrepare).size(); }},
        {"upload", 0, false,
         [](FakeServer& s) {
             s.Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":"task-u"})");
             s.Stall("POST", kUpload);
         },
         [](FakeServer& s) { return s.RequestsTo(kUpload).size(); }},
        {"object store", 1, false,
         [store](FakeServer& s) { s.OnPrefix("PUT", store, s.StallHandler()); },
         [store](FakeServer& s) {
             size_t puts = 0;
             for (const RecordedRequest& request : s.Requests())
                 puts += request.method == "PUT" ? 1 : 0;
             return puts;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_env.Server().Reset();
        if (c.tab == 1)
            ScriptCloud();
        c.stall(m_env.Server());
        SubtitlesHost panel;
        auto window = Open(panel);
        window->Tabs()->setCurrentIndex(c.tab);
        window->SetSelection(c.video ? MediaFixtures::VideoWithAudio() : File("speech.wav"), QUuid::createUuid(),
                             nullptr);
        QElapsedTimer clicked;
        clicked.start();
        window->Button(Id::IdStart)->click();
        EXPECT_LT(clicked.elapsed(), 1000) << "the click waited for the service";
        if (!c.video) {
            EXPECT_EQ(Status(*window), QStringLiteral("生成任务中"));
        }
        ASSERT_TRUE(WaitFor([&] { return c.reached(m_env.Server()) > 0; }));
        QElapsedTimer closing;
        closing.start();
        window.reset();
        EXPECT_LT(closing.elapsed(), 1000) << "closing waited for the stalled request";
        EXPECT_TRUE(panel.results.isEmpty());
        m_env.Server().ReleaseStalls();
    }
}

TEST_F(SubtitlesWindow, AVideosAudioIsExtractedThenRecognised)
{
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    Start(*window, MediaFixtures::VideoWithAudio(), object);
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerated; })) << Status(*window).toStdString();
    ASSERT_EQ(m_panel.results.size(), 1);
    EXPECT_EQ(m_panel.results[0].object, object);
    const WaveTransSrt* task = window->Manager().Tasks()[0];
    EXPECT_TRUE(task->GetAudioPath().endsWith(QStringLiteral(".mp3")));
    EXPECT_GT(MediaFixtures::Decode(task->GetAudioPath()).samples, 0);
    ASSERT_EQ(m_env.Server().RequestsTo(kUpload).size(), 1u);
}

TEST_F(SubtitlesWindow, AVideoThatCannotBeRecognisedEndsWithTheReasonAndAUsableWindow)
{
    const struct
    {
        const char* name;
        QString video;
        bool refused; // the service refuses the account
        QString status;
    } cases[] = {
        {"no audio", MediaFixtures::VideoWithoutAudio(), false, QStringLiteral("视频提取音频失败！")},
        {"refused account", MediaFixtures::VideoWithAudio(), true, GetWavToTextErrorInfo(-2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.refused)
            m_env.Server().Reply("POST", kPrepare, 200, R"({"ok":-1,"err_no":"26601","failed":"illegal"})");
        SubtitlesHost panel;
        auto window = Open(panel);
        Start(*window, c.video, QUuid::createUuid());
        ASSERT_TRUE(WaitFor([&] { return Status(*window) == c.status; })) << Status(*window).toStdString();
        EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
        EXPECT_FALSE(window->IsBusy());
        EXPECT_TRUE(panel.results.isEmpty());
    }
}

} // namespace
