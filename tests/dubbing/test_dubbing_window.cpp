#include "DubbingWindowFixture.h"

#include "dubbing/DubbingLayout.h"
#include "dubbing/VoiceInfo.h"
#include "history/CItemHistoryDlg.h"
#include "host/CI3Button.h"
#include "host/CNLESlider.h"
#include "host/CQOVComboBox.h"
#include "host/CZuScrollBar.h"
#include "host/QOVMessage.h"
#include "service/TransLog.h"
#include "ui/CVoiceSelCtrl.h"

#include <QCoreApplication>
#include <QLabel>
#include <QWheelEvent>

namespace {

using Id = CTxt2AudioWnd::ControlId;

// One notch of the wheel (delta -120 turns down) at the widget's point at.
void Wheel(QWidget* widget, int delta, QPointF at = QPointF(10, 10))
{
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &event);
}

TEST(DubbingLayoutRules, TheColumnFollowsTheGridAndTheScrollBar)
{
    const DubbingLayout open = DubbingLayout::For({920, 680}, 85, 0, false);
    EXPECT_EQ(open.voiceLabel, QRect(5, 10, 35, 20));
    EXPECT_EQ(open.grid, QRect(40, 10, 880, 85));
    EXPECT_EQ(open.speedLabel, QRect(5, 100, 40, 20));
    EXPECT_EQ(open.speed, QRect(40, 100, 870, 20));
    EXPECT_EQ(open.pitch, QRect(40, 125, 870, 20));
    EXPECT_EQ(open.volume, QRect(40, 150, 870, 20));
    EXPECT_EQ(open.typeLabel, QRect(5, 175, 40, 20));
    EXPECT_EQ(open.type, QRect(40, 175, 70, 20));
    EXPECT_EQ(open.downloadFolder, QRect(120, 175, 80, 20));
    EXPECT_EQ(open.start, QRect(5, 200, 100, 28));
    EXPECT_EQ(open.status, QRect(105, 198, 810, 35));
    EXPECT_EQ(open.history, QRect(5, 233, 75, 20));
    EXPECT_EQ(open.selectedText, QRect(5, 258, 905, 680 - 5 - 258));

    const DubbingLayout scrolled = DubbingLayout::For({400, 200}, 130, 50, true);
    EXPECT_EQ(scrolled.grid, QRect(40, -40, 345, 130));
    EXPECT_EQ(scrolled.speed, QRect(40, 95, 335, 20));
    EXPECT_EQ(scrolled.status, QRect(105, 193, 275, 35));
    EXPECT_EQ(scrolled.selectedText, QRect(5, 253, 370, 80));
    EXPECT_EQ(scrolled.scrollBar, QRect(385, 0, 15, 200));
    EXPECT_EQ(DubbingLayout::GridWidth(400, true), 345);
    EXPECT_EQ(DubbingLayout::GridWidth(400, false), 360);
}

TEST_F(DubbingWindow, OpensWithItsControlsAndTheLibrarysVoices)
{
    m_panel.show();
    auto window = Open(m_panel);
    const struct
    {
        int id;
        const char* caption;
        bool visible;
    } buttons[] = {{Id::IdStart, "开始朗读", true}, {Id::IdDownloadFolder, "下载文件夹", false},
                   {Id::IdHistory, "历史记录", true}};
    for (const auto& b : buttons) {
        EXPECT_EQ(window->Button(b.id)->GetWindowTextW(), QString::fromUtf8(b.caption));
        EXPECT_EQ(window->Button(b.id)->isVisible(), b.visible) << b.caption;
    }
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled()) << "no text yet";
    const struct
    {
        int id, high;
        bool visible;
    } sliders[] = {{Id::IdSpeed, 15, true}, {Id::IdPitch, 15, true}, {Id::IdLaterVolume, 9, true},
                   {Id::IdFirstVolume, 15, false}};
    for (const auto& s : sliders) {
        EXPECT_EQ(window->Slider(s.id)->minimum(), 0) << s.id;
        EXPECT_EQ(window->Slider(s.id)->maximum(), s.high) << s.id;
        EXPECT_EQ(window->Slider(s.id)->GetPos(), 5) << s.id;
        EXPECT_EQ(window->Slider(s.id)->isVisible(), s.visible) << s.id;
    }
    QString first, second;
    ASSERT_EQ(window->TypeList()->GetCount(), 2);
    window->TypeList()->GetLBText(0, first);
    window->TypeList()->GetLBText(1, second);
    EXPECT_EQ(first + second, QStringLiteral("mp3wav"));
    EXPECT_EQ(window->TypeList()->GetCurSel(), 0);
    EXPECT_EQ(window->SelectedTextLabel()->text(), QStringLiteral("选中的文字内容："));

    CVoiceSelCtrl* grid = window->VoiceGrid();
    EXPECT_EQ(grid->GetDlgCtrlID(), int(Id::IdVoices));
    ASSERT_EQ(grid->Groups().size(), kVoiceCount);
    EXPECT_EQ(grid->Groups()[3]->name, QStringLiteral("声音3"));
    EXPECT_EQ(grid->Groups()[3]->id, 23);
    EXPECT_EQ(grid->Groups()[3]->image, &window->Voices()[3]->preview);
    EXPECT_EQ(grid->GetSelectedGroup(), 0);
    EXPECT_EQ(grid->Groups()[0]->selected, 1);
    EXPECT_EQ(grid->GetTileWidth(), 130);
    EXPECT_EQ(grid->GetTileHeight(), 40);
    // Ten tiles in a grid 880 wide: six and four.
    EXPECT_EQ(grid->GetContentHeight(), 85);
}

TEST_F(DubbingWindow, TheSelectionDecidesTheLabelTheHintAndTheStartButton)
{
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    struct Case
    {
        int length;
        bool enabled;
        const char* status;
    };
    const Case cases[] = {{600, true, "文本长度超过512,请使用音库中后4个声音！"},
                          {511, true, ""},
                          {512, true, "文本长度超过512,请使用音库中后4个声音！"},
                          {0, false, ""}};
    for (const Case& c : cases) {
        window->SetSelection(TextOf(c.length), object, nullptr);
        EXPECT_EQ(window->Button(Id::IdStart)->isEnabled(), c.enabled) << c.length;
        EXPECT_EQ(Status(*window), QString::fromUtf8(c.status)) << c.length;
        EXPECT_EQ(window->SelectedTextLabel()->text(),
                  c.length ? QStringLiteral("选中的文字内容：\n") + TextOf(c.length)
                           : QStringLiteral("未选中任何文字物件，转换功能不可用！"));
    }
}

TEST_F(DubbingWindow, ChoosingAVoicePicksTheVolumeSliderOfItsKind)
{
    m_panel.show();
    auto window = Open(m_panel);
    CNLESlider* later = window->Slider(Id::IdLaterVolume);
    CNLESlider* first = window->Slider(Id::IdFirstVolume);
    const struct
    {
        int index;
        intptr_t control;
        bool laterVoice;
    } steps[] = {{0, Id::IdVoices, false}, {8, Id::IdVoices, true}, {7, Id::IdVoices, false},
                 {9, Id::IdVoices, true},  {2, 999, true}};
    for (const auto& s : steps) {
        QOVSendMessage(window.get(), CVoiceSelCtrl::kVoiceChosenMessage, uintptr_t(s.index), s.control);
        EXPECT_EQ(window->IsLaterVoice(), s.laterVoice) << s.index;
        EXPECT_EQ(later->isVisible(), s.laterVoice) << s.index;
        EXPECT_EQ(first->isVisible(), !s.laterVoice) << s.index;
        EXPECT_EQ(first->geometry(), later->geometry());
    }
}

TEST_F(DubbingWindow, SamplesPlayByTileAndStopOnMinusOne)
{
    auto window = Open(m_panel);
    const QString folder = LibraryFolder();
    const struct
    {
        intptr_t index, control;
    } messages[] = {{3, Id::IdVoices}, {-1, Id::IdVoices}, {kVoiceCount, Id::IdVoices}, {2, 4242}, {0, Id::IdVoices}};
    for (const auto& m : messages)
        QOVPostMessage(window.get(), CVoiceSelCtrl::kPlaySampleMessage, uintptr_t(m.index), m.control);
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(m_played, (QStringList{QStringLiteral("play ") + folder + QStringLiteral("audio/3.wav"), QStringLiteral("stop"),
                                     QStringLiteral("play ") + folder + QStringLiteral("audio/0.wav")}));
}

TEST_F(DubbingWindow, HistoryEntriesReachTheEditorWithTheirObjectOnlyForTheSelectedText)
{
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    window->SetSelectedText(QStringLiteral("当前的文字"), object);
    const QString files = QString::fromUtf8("/w/AIAudio/Audio2024_03_05_14_07_09.mp3");
    const struct
    {
        const char* source;
        bool ours;
    } entries[] = {{"当前的文字", true}, {"别的文字", false}, {"当前的文字 ", false}};
    for (const auto& e : entries) {
        // The history list's message, with the texts it owns.
        const QString source = QString::fromUtf8(e.source);
        QOVPostTexts(window.get(), CTxt2AudioWnd::kHistoryItemMessage, source, files);
        QCoreApplication::sendPostedEvents(window.get());
        ASSERT_EQ(m_panel.results.size(), 1) << e.source;
        EXPECT_EQ(m_panel.results[0].object, e.ours ? object : QUuid()) << e.source;
        EXPECT_EQ(m_panel.results[0].path, files);
        m_panel.results.clear();
        // Strings made at run time share their data with their copies, which shows when one is freed.
        EXPECT_TRUE(files.isDetached() && source.isDetached()) << "both texts went with the message";
    }
    QOVPostMessage(window.get(), CTxt2AudioWnd::kHistoryItemMessage, 0, 0);
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_TRUE(m_panel.results.isEmpty());
}

TEST_F(DubbingWindow, TheHistoryButtonShowsTheDubbingLog)
{
    auto window = Open(m_panel);
    window->Button(Id::IdHistory)->click();
    CItemHistoryDlg* dialog = GetHistoryDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->GetToolType(), 2);
    EXPECT_EQ(dialog->GetTransLog(), &GetDubbingLog());
    dialog->hide();
}

TEST_F(DubbingWindow, TheColumnScrollsWhenTheWindowIsShorterThanItsContent)
{
    m_panel.show();
    auto window = Open(m_panel);
    window->resize(400, 200);
    // Tiles in 345 pixels: two a row, five rows.
    EXPECT_TRUE(window->IsScrollShown());
    EXPECT_TRUE(window->ScrollBar()->isVisible());
    EXPECT_EQ(window->VoiceGrid()->GetContentHeight(), 5 * 45 - 5);
    EXPECT_EQ(window->ContentHeight(), 220 + 260);
    SCROLLINFO info;
    window->ScrollBar()->GetScrollInfo(info);
    EXPECT_EQ(info.nMax, 479);
    EXPECT_EQ(info.nPage, 200);

    Wheel(window.get(), -120);
    EXPECT_EQ(window->ScrollPos(), 30);
    EXPECT_EQ(window->VoiceGrid()->y(), 10 - 30);
    EXPECT_EQ(window->ScrollBar()->GetScrollPos(), 30);
    for (int i = 0; i < 20; ++i)
        Wheel(window.get(), -120);
    EXPECT_EQ(window->ScrollPos(), 480 - 200) << "the last page shows the bottom";
    window->ScrollBar()->setValue(100); // the user drags the thumb
    EXPECT_EQ(window->ScrollPos(), 100);
    EXPECT_EQ(window->Button(Id::IdStart)->y(), 10 - 100 + 220 + 5 + 100);
    Wheel(window.get(), 120);
    EXPECT_EQ(window->ScrollPos(), 70);

    window->resize(920, 680);
    EXPECT_FALSE(window->IsScrollShown());
    EXPECT_FALSE(window->ScrollBar()->isVisible());
    EXPECT_EQ(window->ScrollPos(), 0);
    EXPECT_EQ(window->VoiceGrid()->geometry(), QRect(40, 10, 880, 85));
}

TEST_F(DubbingWindow, TheWheelOverASettingScrollsTheColumnAndLeavesTheSettingAlone)
{
    m_panel.show();
    auto window = Open(m_panel);
    window->resize(400, 200);
    ASSERT_TRUE(window->IsScrollShown());
    window->Slider(Id::IdSpeed)->SetPos(7);
    window->TypeList()->SetCurSel(0);
    Wheel(window->Slider(Id::IdSpeed), -120, QPointF(5, 5));
    EXPECT_EQ(window->Slider(Id::IdSpeed)->GetPos(), 7) << "passing over the speed changed it";
    EXPECT_EQ(window->ScrollPos(), 30) << "the wheel scrolls the column instead";
    Wheel(window->TypeList(), -120, QPointF(5, 5));
    EXPECT_EQ(window->TypeList()->GetCurSel(), 0) << "passing over the type switched mp3 to wav";
    EXPECT_EQ(window->ScrollPos(), 60);
    EXPECT_NE(window->Slider(Id::IdSpeed)->focusPolicy() & Qt::ClickFocus, 0) << "a click still takes the slider";
}

// Any library that cannot be read gives no voices (VoiceLibraryReading's cases): the window without.
TEST_F(DubbingWindow, ABrokenOrMissingLibraryLeavesAnEmptyGridAndAUsableWindow)
{
    QFile::remove(LibraryFolder() + QStringLiteral("voice.xml"));
    m_panel.show();
    auto window = Open(m_panel);
    EXPECT_TRUE(window->VoiceGrid()->Groups().isEmpty());
    EXPECT_EQ(window->VoiceGrid()->GetContentHeight(), 0);
    EXPECT_EQ(window->Button(Id::IdStart)->geometry(), QRect(5, 115, 100, 28)) << "the column closes up";
    window->SetSelectedText(QStringLiteral("文字"), QUuid::createUuid());
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
}

} // namespace
