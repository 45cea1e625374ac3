#include "MediaFixtures.h"
#include "SubtitlesWindowFixture.h"

#include "host/CI3Button.h"
#include "host/CZuTabCtrl.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>

namespace {

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
    EXPECT_EQ(window->ExtraSources(), others);
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
        EXPECT_TRUE(ReadBytes(result.path).contains("第一句")) << result.path.toStdString();
    }
    window->SetSelection(File("speech.wav"), object, nullptr);
    EXPECT_TRUE(window->ExtraSources().isEmpty()) << "the other files go with their selection";
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
    EXPECT_EQ(ReadBytes(m_panel.results[1].path).count("-->"), 1) << "the run again replaced its own subtitles";
}

TEST_F(SubtitlesWindow, ARefusedAccountFailsTheStartAndTheNextStartTriesAgainAtOnce)
{
    m_env.Server().Reply("POST", kPrepare, 200, R"({"ok":-1,"err_no":"26601","failed":"illegal"})");
    auto window = Open(m_panel);
    Start(*window, File("speech.wav"), QUuid::createUuid());
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled()) << "the start's requests run on a worker";
    ASSERT_TRUE(WaitFor([&] { return !window->IsBusy(); }));
    EXPECT_EQ(Status(*window), QStringLiteral("转写失败, ") + GetWavToTextErrorInfo(-2));
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());

    m_env.Server().Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":"task-8"})");
    window->Button(Id::IdStart)->click();
    EXPECT_TRUE(window->questions.isEmpty());
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerated; })) << Status(*window).toStdString();
    EXPECT_EQ(m_panel.results.size(), 1);
}

TEST_F(SubtitlesWindow, StartingARunningSourceOnlyShowsItsState)
{
    ScriptProgress(m_env.Server(), {3});
    auto window = Open(m_panel);
    Start(*window, File("long.wav"), QUuid::createUuid());
    ASSERT_TRUE(WaitFor([&] { return Status(*window) == kGenerating; }));
    // The user selects it again (which gives the button back) and presses start once more.
    Start(*window, window->Manager().Tasks()[0]->GetAudioPath(), QUuid::createUuid());
    EXPECT_EQ(Status(*window), kGenerating);
    EXPECT_EQ(m_env.Server().RequestsTo(kPrepare).size(), 1u);
    EXPECT_TRUE(window->questions.isEmpty());
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
        std::string method, path; // of the request that stalls, or how its path begins
    };
    const Case cases[] = {
        {"prepare", 0, false, "POST", kPrepare},
        {"prepare after a video's extraction", 0, true, "POST", kPrepare},
        {"upload", 0, false, "POST", kUpload},
        {"object store", 1, false, "PUT", std::string("/") + TestEnvironment::kStoreBucket + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeServer& server = m_env.Server();
        server.Reset();
        if (c.tab == 1)
            ScriptCloud();
        if (c.path == kUpload)
            server.Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":"task-u"})");
        server.OnPrefix(c.method, c.path, server.StallHandler());
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
        ASSERT_TRUE(WaitFor([&] {
            for (const RecordedRequest& request : server.Requests())
                if (request.method == c.method && request.path.rfind(c.path, 0) == 0)
                    return true;
            return false;
        }));
        QElapsedTimer closing;
        closing.start();
        window.reset();
        EXPECT_LT(closing.elapsed(), 1000) << "closing waited for the stalled request";
        EXPECT_TRUE(panel.results.isEmpty());
        server.ReleaseStalls();
    }
}

} // namespace
