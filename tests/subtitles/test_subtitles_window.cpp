#include "SubtitlesWindowFixture.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CZuEdit.h"
#include "host/CZuTabCtrl.h"
#include "host/QOVMessage.h"
#include "subtitles/CWaveToTextMgr.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>

namespace {

TEST_F(SubtitlesWindow, OpensOnTabAWithItsControlsPictureAndOutputFolderAndTabBShowsTheModels)
{
    m_panel.show();
    auto window = Open(m_panel);
    CZuTabCtrl* tabs = window->Tabs();
    ASSERT_EQ(tabs->GetItemCount(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" 识别A "));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral(" 识别B "));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    const struct
    {
        int id;
        const char* caption;
        bool visible, enabled;
    } buttons[] = {{Id::IdStart, "开始识别", true, false},
                   {Id::IdHistory, "历史记录", true, true},
                   {Id::IdUser, "语音转写用户", true, true}};
    for (const auto& b : buttons) {
        EXPECT_EQ(window->Button(b.id)->GetWindowTextW(), QString::fromUtf8(b.caption));
        EXPECT_EQ(window->Button(b.id)->isVisible(), b.visible) << b.caption;
        EXPECT_EQ(window->Button(b.id)->isEnabled(), b.enabled) << b.caption;
    }
    ASSERT_EQ(window->ModelList()->GetCount(), 3);
    const char* models[] = {"中文语音近场识别模型极速版", "中文音视频字幕模型", "英文模型"};
    for (int i = 0; i < 3; ++i) {
        QString item;
        window->ModelList()->GetLBText(i, item);
        EXPECT_EQ(item, QString::fromUtf8(models[i]));
    }
    EXPECT_EQ(window->ModelList()->GetCurSel(), 0);
    EXPECT_FALSE(window->ModelList()->isVisible());
    EXPECT_FALSE(window->ModelLabel()->isVisible());
    EXPECT_EQ(window->SelectedFileLabel()->text(), QStringLiteral("选中的音频文件："));
    EXPECT_TRUE(Status(*window).isEmpty());
    EXPECT_EQ(window->Picture().GetWidth(), 160);
    EXPECT_EQ(window->Picture().GetHeight(), 180);
    EXPECT_EQ(window->OutputFolder(), m_env.WorkDir() + QStringLiteral("/AITxt/"));
    EXPECT_TRUE(QDir(window->OutputFolder()).exists());
    EXPECT_EQ(window->Button(Id::IdStart)->geometry(), QRect(5, 250, 100, 28));
    EXPECT_EQ(window->StatusLabel()->geometry(), QRect(105, 248, 810, 35));
    EXPECT_EQ(window->Manager().GetUserID(), QStringLiteral("test-app"));

    // Tab B shows the model choice instead of the account button.
    for (int tab : {1, 0}) {
        window->Tabs()->setCurrentIndex(tab); // as the user's click does
        EXPECT_EQ(window->Engine(), tab);
        EXPECT_EQ(window->ModelList()->isVisible(), tab == 1);
        EXPECT_EQ(window->ModelLabel()->isVisible(), tab == 1);
        EXPECT_EQ(window->Button(Id::IdUser)->isVisible(), tab == 0);
    }
}

TEST_F(SubtitlesWindow, TheSelectionDecidesTheTextTheKindOfSourceAndTheStartButton)
{
    auto window = Open(m_panel);
    const struct
    {
        QString path;
        bool video, enabled;
        const char* label;
    } cases[] = {
        {File("clip.ts"), true, true, "选中的音频文件：\nclip.ts"},
        {File("片段.MP4"), true, true, "选中的音频文件：\n片段.MP4"},
        {File("song.wav"), false, true, "选中的音频文件：\nsong.wav"},
        {m_dir.filePath(QStringLiteral("gone.mp3")), false, false, "选中的音频文件：\ngone.mp3"},
        {m_dir.filePath(QStringLiteral("gone.mov")), true, false, "选中的音频文件：\ngone.mov"},
        {QString(), false, false, "未选中任何音频文件，识别功能不可用！"},
    };
    const QUuid object = QUuid::createUuid();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        window->SetSelection(c.path, object, nullptr);
        EXPECT_EQ(window->SelectedFileLabel()->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(window->SelectedVideoPath(), c.video ? c.path : QString());
        EXPECT_EQ(window->Button(Id::IdStart)->isEnabled(), c.enabled);
        EXPECT_TRUE(Status(*window).isEmpty()) << "no task of it yet";
    }
}

TEST_F(SubtitlesWindow, AFoundTaskShowsItsStateWhenItsSourceIsSelectedAgain)
{
    auto window = Open(m_panel);
    const QString wav = File("again.wav");
    // A cloud task that could not start (no token): its state says why.
    m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 401, "{}");
    window->Tabs()->setCurrentIndex(1);
    Start(*window, wav, QUuid::createUuid());
    // The start runs on a worker; its failure arrives as its end.
    ASSERT_TRUE(WaitFor([&] { return !window->IsBusy(); }));
    const QString failed = Status(*window);
    EXPECT_TRUE(failed.startsWith(QStringLiteral("转写失败, "))) << failed.toStdString();
    window->SetSelection(File("other.wav"), QUuid::createUuid(), nullptr);
    EXPECT_TRUE(Status(*window).isEmpty());
    window->SetSelection(wav, QUuid::createUuid(), nullptr);
    EXPECT_EQ(Status(*window), failed);
}

// Tasks made without starting them, for the messages a running task would post.
TEST_F(SubtitlesWindow, ProgressOfTheSelectedSourceIsShownOthersOnlyReachTheEditor)
{
    auto window = Open(m_panel);
    const QString video = File("clip.mp4");
    const QUuid object = QUuid::createUuid();
    const QUuid otherObject = QUuid::createUuid();
    window->SetSelection(video, object, nullptr);
    CWaveToTextMgr& manager = window->Manager();
    WaveTransSrt* mine = manager.AddWave(1, video, 0, 0.0f, 1.0f, object, 80001);
    WaveTransSrt* other = manager.AddWave(1, File("other.wav"), 1, 0.0f, 1.0f, otherObject, 80001);
    ASSERT_TRUE(mine && other);
    mine->SetLastCode(-3);
    const QString failure = GetWavToTextErrorInfo(-3);
    const struct
    {
        int code;
        const char* status; // null: the error text of the task's last code
        bool ended;         // the start button comes back
    } cases[] = {
        {2, "视频提取音频中...", false}, {1, "视频提取音频完成", false}, {5, "生成中，请稍候...", false},
        {3, "视频提取音频失败！", true}, {4, nullptr, true},             {6, "生成成功！", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        window->Button(Id::IdStart)->EnableWindow(false);
        const QString before = Status(*window);
        QOVPostMessage(window.get(), CAudio2TxtWnd::kProgressMessage, uintptr_t(c.code), intptr_t(other));
        QCoreApplication::sendPostedEvents(window.get());
        EXPECT_EQ(Status(*window), before) << "another source's task";
        EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled());
        QOVPostMessage(window.get(), CAudio2TxtWnd::kProgressMessage, uintptr_t(c.code), intptr_t(mine));
        QCoreApplication::sendPostedEvents(window.get());
        EXPECT_EQ(Status(*window), c.status ? QString::fromUtf8(c.status) : failure);
        EXPECT_EQ(window->Button(Id::IdStart)->isEnabled(), c.ended);
    }
    // Only the finished tasks reach the editor, each with its own object and subtitle file.
    ASSERT_EQ(m_panel.results.size(), 2);
    EXPECT_EQ(m_panel.results[0].object, otherObject);
    EXPECT_EQ(m_panel.results[1].object, object);
    EXPECT_EQ(m_panel.Paths(), (QStringList{other->GetSrtPath(), mine->GetSrtPath()}));
    EXPECT_TRUE(mine->GetSrtPath().endsWith(QStringLiteral("/AITxt/clip_0_25.srt"))) << mine->GetSrtPath().toStdString();
}

TEST_F(SubtitlesWindow, HistoryEntriesReachTheEditorWithTheirObjectOnlyForTheSelectedFile)
{
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    const QString selected = File("meeting.wav");
    window->SetSelection(selected, object, nullptr);
    const QString files = m_env.WorkDir() + QStringLiteral("/AITxt/meeting_0_25.srt");
    const std::pair<QString, bool> entries[] = {
        {selected, true}, {File("other.wav"), false}, {selected.toUpper(), false}};
    for (const auto& [source, ours] : entries) {
        QOVPostTexts(window.get(), CAudio2TxtWnd::kHistoryItemMessage, source, files);
        QCoreApplication::sendPostedEvents(window.get());
        ASSERT_EQ(m_panel.results.size(), 1) << source.toStdString();
        EXPECT_EQ(m_panel.results[0].object, ours ? object : QUuid());
        EXPECT_EQ(m_panel.results[0].path, files);
        m_panel.results.clear();
    }
    QOVPostMessage(window.get(), CAudio2TxtWnd::kHistoryItemMessage, 0, 0);
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_TRUE(m_panel.results.isEmpty());
}

TEST_F(SubtitlesWindow, TheAccountDialogWritesTheAccountOnOkOnly)
{
    auto window = Open(m_panel);
    const struct
    {
        const char* name;
        bool clear;
        int button;
        const char* id;
        const char* key;
    } cases[] = {
        {"ok", false, CSetUserInfoDlg::IdOk, "typed-id", "typed-key"},
        {"cancel", false, CSetUserInfoDlg::IdCancel, "typed-id", "typed-key"},
        {"clear and cancel", true, CSetUserInfoDlg::IdCancel, "typed-id", "typed-key"},
        {"clear and ok", true, CSetUserInfoDlg::IdOk, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString shownId;
        window->userInfo = [&](CSetUserInfoDlg& dialog) {
            shownId = dialog.Edit(CSetUserInfoDlg::IdUser)->GetWindowTextW();
            dialog.Edit(CSetUserInfoDlg::IdUser)->SetWindowTextW(QStringLiteral("typed-id"));
            dialog.Edit(CSetUserInfoDlg::IdKey)->SetWindowTextW(QStringLiteral("typed-key"));
            if (c.clear) {
                dialog.Button(CSetUserInfoDlg::IdClear)->click();
                EXPECT_TRUE(dialog.isVisible()) << "clearing does not close";
            }
            dialog.Button(c.button)->click();
            return dialog.result();
        };
        const QString before = window->Manager().GetUserID();
        window->Button(Id::IdUser)->click();
        EXPECT_EQ(shownId, before) << "the dialog opens with the account in use";
        // What the file holds now, as the next window reads it.
        CWaveToTextMgr reader;
        EXPECT_EQ(reader.GetUserID(), QString::fromUtf8(c.id));
        EXPECT_EQ(reader.GetUserKey(), QString::fromUtf8(c.key));
        EXPECT_EQ(window->Manager().GetUserID(), QString::fromUtf8(c.id));
    }
}

} // namespace
