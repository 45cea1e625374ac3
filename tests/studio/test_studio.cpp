#include "OpenStudio.h"
#include "RecordingModule.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SampleProject.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolHost.h"
#include "apps/studio/ToolPanel.h"
#include "host/QOVMessage.h"
#include "plugin/QOVAIGCFunc.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QSlider>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

namespace {

QStringList ListedTools(StudioWindow& window)
{
    QStringList names;
    for (int i = 0; i < window.ToolList().count(); ++i)
        names.append(window.ToolList().item(i)->text());
    return names;
}

// The placeholder text when it is what the panel shows, empty otherwise.
QString ShownPlaceholder(ToolPanel& panel)
{
    auto* label = panel.findChild<QLabel*>(QStringLiteral("placeholder"));
    return label && label->isVisibleTo(&panel) ? label->text() : QString();
}

TEST(StudioModule, ListsTheBuiltModulesToolsAndShowsTheirWindows)
{
    // The dubbing window's client reads the settings, once per process: from the test's folders.
    TestEnvironment::Get();
    const auto window = OpenStudio();
    ASSERT_TRUE(window);
    EXPECT_EQ(ListedTools(*window), RecordingModule::ToolNames());

    window->Project().AddText(QStringLiteral("配音文本"));
    for (int row = 0; row < RecordingModule::ToolNames().size(); ++row) {
        window->ChooseTool(row);
        EXPECT_NE(window->Panel().Window(), nullptr) << row;
        EXPECT_EQ(ShownPlaceholder(window->Panel()), QString()) << row;
    }
    window->ChooseTool(-1);
    const QString nothingChosen = ShownPlaceholder(window->Panel());
    EXPECT_FALSE(nothingChosen.isEmpty());
    EXPECT_NE(nothingChosen, ToolHost::Placeholder());
    window->close();
}

TEST(StudioModule, LoadingFailsWithAReasonForAMissingFileOrEntry)
{
    const struct
    {
        const char* path;
        const char* reason;
    } cases[] = {
        {"/nonexistent/libQOVAIGC.so", "/nonexistent/libQOVAIGC.so"},
        {QOVHOST_LIBRARY, "QOVAIGCFunc"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(ModuleEntry::Load(QString::fromUtf8(c.path), &error)) << c.path;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

class Studio : public ::testing::Test
{
protected:
    explicit Studio(std::set<int> windowed = {0, 1, 2, 3, 4})
        : module(std::move(windowed))
        , window(std::make_unique<StudioWindow>(module.Entry(), QStringLiteral("recording")))
    {
        window->show();
    }

    // The calls of one command, in order.
    QList<RecordingModule::Call> CallsOf(int32_t command) const
    {
        QList<RecordingModule::Call> found;
        for (const auto& call : module.calls) {
            if (call.command == command)
                found.append(call);
        }
        return found;
    }

    RecordingModule module;
    std::unique_ptr<StudioWindow> window;
};

TEST_F(Studio, EachToolGetsItsOwnMessageAndItsWindowIsDestroyedOnSwitch)
{
    QList<QPointer<QWidget>> windows;
    for (int row = 0; row < RecordingModule::ToolNames().size(); ++row) {
        window->ChooseTool(row);
        const auto created = CallsOf(AIGC_CREATE_WINDOW);
        ASSERT_EQ(created.size(), row + 1);
        EXPECT_EQ(created.last().tool, RecordingModule::ToolIds()[row]);
        EXPECT_EQ(created.last().object, &window->Panel());
        EXPECT_EQ(created.last().message, ToolHost::kFirstMessage + row);
        QWidget* shown = window->Panel().Window();
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->geometry(), window->Panel().rect()) << "the window fills the panel";
        EXPECT_TRUE(ShownPlaceholder(window->Panel()).isEmpty());
        windows.append(shown);
    }
    const int last = int(windows.size()) - 1;
    const auto destroyed = CallsOf(AIGC_DESTROY_WINDOW);
    ASSERT_EQ(destroyed.size(), last);
    for (int i = 0; i < last; ++i) {
        EXPECT_EQ(destroyed[i].tool, RecordingModule::ToolIds()[i]);
        EXPECT_TRUE(windows[i].isNull());
    }
    EXPECT_FALSE(windows[last].isNull());

    // On exit the open window goes before the module is released.
    module.calls.clear();
    window.reset();
    ASSERT_EQ(module.Commands(), (QList<int32_t>{AIGC_DESTROY_WINDOW, AIGC_RELEASE}));
    EXPECT_EQ(module.calls[0].tool, RecordingModule::ToolIds()[last]);
    EXPECT_TRUE(windows[last].isNull());
}

class StudioWithoutWindows : public Studio
{
protected:
    StudioWithoutWindows()
        : Studio({})
    {
    }
};

TEST_F(StudioWithoutWindows, ToolsWithoutAWindowShowThePlaceholderAndAreNotDestroyed)
{
    // Shown and activated, the window gives the tool list the focus.
    QCoreApplication::processEvents();
    EXPECT_EQ(module.Commands(), QList<int32_t>{AIGC_LIST_TOOLS}) << "focus alone opens no tool";
    window->ChooseTool(1);
    EXPECT_EQ(ShownPlaceholder(window->Panel()), ToolHost::Placeholder());
    window->Project().AddText(QStringLiteral("无人接收"));
    window->ChooseTool(2);
    window->close();
    EXPECT_EQ(module.Commands(), (QList<int32_t>{AIGC_LIST_TOOLS, AIGC_CREATE_WINDOW, AIGC_CREATE_WINDOW, AIGC_RELEASE}))
        << "no destroy for a window never made, no hand-over to nobody";
    window.reset();
    EXPECT_EQ(module.Commands().count(AIGC_RELEASE), 1) << "a closed studio is released once";
}

TEST_F(Studio, SelectionIsHandedToTheDubbingAndSubtitlesWindowsOnly)
{
    StudioProject& project = window->Project();
    ProjectView& view = window->View();
    const QUuid first = project.AddText(QStringLiteral("第一段"));
    const QUuid second = project.AddText(QStringLiteral("第二段"));
    const QUuid clip = project.AddMedia(QStringLiteral("/media/剪辑.mp4"));
    const QUuid other = project.AddMedia(QStringLiteral("/media/other.mov"));
    view.SelectText(first);
    view.SelectMedia({clip, other});

    window->ChooseTool(1); // dubbing: opening hands the current text over
    view.SelectText(second);
    window->ChooseTool(2); // subtitles: the current media file, the others as properties
    view.SelectMedia({other});
    window->ChooseTool(0); // painting takes no selection
    view.SelectText(first);
    view.SelectMedia({clip});

    const auto selects = CallsOf(AIGC_SELECT);
    ASSERT_EQ(selects.size(), 4);
    const struct
    {
        int tool;
        QUuid object;
        QString text;
        std::optional<QHash<QString, QString>> properties;
    } expected[] = {
        {1, first, QStringLiteral("第一段"), std::nullopt},
        {1, second, QStringLiteral("第二段"), std::nullopt},
        {2, clip, QStringLiteral("/media/剪辑.mp4"),
         QHash<QString, QString>{{QStringLiteral("/media/other.mov"), other.toString(QUuid::WithBraces)}}},
        {2, other, QStringLiteral("/media/other.mov"), QHash<QString, QString>{}},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(selects[i].tool, RecordingModule::ToolIds()[expected[i].tool]);
        EXPECT_EQ(selects[i].selectedObject, expected[i].object);
        EXPECT_EQ(selects[i].text, expected[i].text);
        EXPECT_EQ(selects[i].properties, expected[i].properties);
    }
}

TEST_F(Studio, ResultsSentByAToolWindowLandInTheProject)
{
    const QUuid text = window->Project().AddText(QStringLiteral("要配音的文本"));
    window->ChooseTool(1);
    QWidget* dubbing = window->Panel().Window();
    ASSERT_NE(dubbing, nullptr);
    const int message = CallsOf(AIGC_CREATE_WINDOW).last().message;
    // The sending window owns the path it sends; the studio copies it.
    QString voice(QStringLiteral("/w/AIAudio/voice.mp3"));
    QOVSendMessage(dubbing->parentWidget(), message, uintptr_t(&text), intptr_t(&voice));
    // Some windows report to the top-level window rather than their parent.
    QString loose(QStringLiteral("/w/AIAudio/loose.mp3"));
    QOVSendMessage(dubbing->window(), message, 0, intptr_t(&loose));

    const TextObject* object = window->Project().FindText(text);
    ASSERT_EQ(object->audio.size(), 1);
    EXPECT_EQ(object->audio[0].path, QStringLiteral("/w/AIAudio/voice.mp3"));
    EXPECT_EQ(object->audio[0].tool, QStringLiteral("AI 配音"));
    // The attached audio is in the bin too, with the text object it belongs to.
    ASSERT_EQ(window->Project().Bin().size(), 2);
    EXPECT_EQ(window->Project().Bin()[0].owner, text);
    EXPECT_TRUE(window->Project().Bin()[1].owner.isNull());
    ASSERT_EQ(window->View().BinList()->count(), 2);
    EXPECT_EQ(window->View().BinList()->item(0)->text(), QStringLiteral("voice.mp3 · AI 配音 → 要配音的文本"));
    auto* item = window->View().TextList()->topLevelItem(0);
    ASSERT_EQ(item->childCount(), 1);
    EXPECT_TRUE(item->child(0)->text(0).contains(QStringLiteral("voice.mp3")));
    EXPECT_FALSE(item->child(0)->flags() & Qt::ItemIsSelectable);
}

TEST_F(Studio, SubtitlesSentForAMediaFileLandInTheBinWhereTheirSentencesAreRead)
{
    QTemporaryDir dir;
    const QString srt = dir.filePath(QStringLiteral("clip_0_25.srt"));
    ASSERT_TRUE(WriteBytes(srt, "1\r\n00:00:00,500 --> 00:00:01,800\r\n第1句（1.3秒）\r\n\r\n"
                                "2\r\n00:00:02,300 --> 00:00:03,000\r\nsee you tomorrow\r\n\r\n"));
    const QUuid clip = window->Project().AddMedia(QStringLiteral("/media/clip.mp4"));
    window->ChooseTool(2);
    QWidget* subtitles = window->Panel().Window();
    ASSERT_NE(subtitles, nullptr);
    const int message = CallsOf(AIGC_CREATE_WINDOW).last().message;
    EXPECT_FALSE(window->View().SentenceList()->isVisibleTo(window.get())) << "nothing to read yet";
    QString sent = srt;
    QOVSendMessage(subtitles->parentWidget(), message, uintptr_t(&clip), intptr_t(&sent));

    const MediaFile* media = window->Project().FindMedia(clip);
    ASSERT_EQ(media->subtitles.size(), 1);
    EXPECT_EQ(media->subtitles[0].path, srt);
    EXPECT_EQ(media->subtitles[0].tool, QStringLiteral("AI 字幕"));
    ASSERT_EQ(window->Project().Bin().size(), 1);
    EXPECT_EQ(window->Project().Bin()[0].owner, clip);
    ASSERT_EQ(window->View().BinList()->count(), 1);
    EXPECT_EQ(window->View().BinList()->item(0)->text(), QStringLiteral("clip_0_25.srt · AI 字幕 → clip.mp4"));
    EXPECT_EQ(window->View().MediaList()->topLevelItem(0)->childCount(), 1);

    QTreeWidget* sentences = window->View().SentenceList();
    EXPECT_TRUE(sentences->isVisibleTo(window.get()));
    ASSERT_EQ(sentences->topLevelItemCount(), 2);
    EXPECT_EQ(sentences->topLevelItem(0)->text(0), QStringLiteral("00:00:00,500"));
    EXPECT_EQ(sentences->topLevelItem(0)->text(1), QStringLiteral("00:00:01,800"));
    EXPECT_EQ(sentences->topLevelItem(0)->text(2), QStringLiteral("第1句（1.3秒）"));
    EXPECT_EQ(sentences->topLevelItem(1)->text(2), QStringLiteral("see you tomorrow"));

    // Another result made current in the bin hides them again.
    QString image(QStringLiteral("/w/AIImage/1.png"));
    QOVSendMessage(subtitles->parentWidget(), message, 0, intptr_t(&image));
    window->View().BinList()->setCurrentRow(1);
    EXPECT_FALSE(sentences->isVisibleTo(window.get()));
    window->View().BinList()->setCurrentRow(0);
    EXPECT_EQ(sentences->topLevelItemCount(), 2);
}

// The preview of a generated video draws the caption of its position, follows edits and the
// rows' double clicks, and says so when no multimedia backend can play it.
TEST_F(Studio, ThePreviewDrawsTheCaptionOfItsPositionAndFollowsTheSentences)
{
    QTemporaryDir dir;
    const QString video = dir.filePath(QStringLiteral("clip.mp4"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                            QStringLiteral("color=c=blue:s=160x120:r=25:d=4"), video});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    const QString srt = dir.filePath(QStringLiteral("clip_0_25.srt"));
    ASSERT_TRUE(WriteBytes(srt, "1\r\n00:00:00,500 --> 00:00:01,800\r\nfirst\r\n\r\n"
                                "2\r\n00:00:02,300 --> 00:00:03,000\r\nsecond\r\n\r\n"));
    const QUuid clip = window->Project().AddMedia(video);
    window->Project().AttachSubtitles(clip, {srt, QStringLiteral("AI 字幕"), clip});
    window->View().SelectMedia({clip});

    MediaPreview& preview = window->Preview();
    ASSERT_TRUE(preview.isVisibleTo(window.get()));
    EXPECT_EQ(preview.Path(), video);
    // Either it plays or it says why not.
    EXPECT_NE(preview.Message()->isVisibleTo(window.get()), preview.PlayButton()->isEnabled());
    const struct
    {
        qint64 at;
        const char* caption;
    } positions[] = {{0, ""}, {500, "first"}, {1800, ""}, {2999, "second"}, {3000, ""}};
    for (const auto& p : positions) {
        preview.Seek(p.at);
        EXPECT_EQ(preview.Caption(), QString::fromUtf8(p.caption)) << p.at;
    }
    QTreeWidget* sentences = window->View().SentenceList();
    sentences->topLevelItem(1)->setText(SentenceEditor::TextColumn, QStringLiteral("corrected"));
    emit sentences->itemDoubleClicked(sentences->topLevelItem(1), SentenceEditor::TextColumn);
    EXPECT_EQ(preview.Position(), 2300);
    EXPECT_EQ(preview.Slider()->value(), 2300);
    EXPECT_EQ(preview.Caption(), QStringLiteral("corrected"));
}

// The sample a newcomer opens: both texts at once, the video once it is made, and the same video
// again next time rather than a second one.
TEST(StudioSample, OpensTwoTextsAndAnEnglishVideoMadeOnce)
{
    if (!QFile::exists(SampleProject::kRecording))
        GTEST_SKIP() << "the recogniser's test recordings are not installed";
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString video = SampleProject::VideoPath(work.path());
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        StudioProject project;
        SampleProject sample(project);
        std::optional<std::pair<bool, QString>> finished;
        QEventLoop loop;
        QObject::connect(&sample, &SampleProject::Finished, &loop, [&](bool complete, const QString& message) {
            finished.emplace(complete, message);
            loop.quit();
        });
        sample.Open(work.path());
        ASSERT_EQ(project.Texts().size(), 2);
        EXPECT_EQ(project.Texts()[0].text, SampleProject::kChineseText);
        EXPECT_EQ(project.Texts()[1].text, SampleProject::kEnglishText);
        if (!finished) {
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        ASSERT_TRUE(finished) << "the video was never made";
        EXPECT_TRUE(finished->first) << finished->second.toStdString();
        ASSERT_EQ(project.Media().size(), 1);
        EXPECT_EQ(project.Media().front().path, video);
        EXPECT_GT(QFileInfo(video).size(), 0);
        EXPECT_EQ(QDir(QFileInfo(video).absolutePath()).entryList(QDir::Files), QStringList{QFileInfo(video).fileName()})
            << "no half-made video is left beside it";
    }
}

} // namespace
