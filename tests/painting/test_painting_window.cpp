#include "PaintingWindowFixture.h"

#include "history/CItemHistoryDlg.h"
#include "history/CItemListWnd.h"
#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVContainWnd.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuBuffDisplayWnd.h"
#include "host/CZuEdit.h"
#include "host/CZuScrollBar.h"
#include "host/QOVMessage.h"
#include "painting/PaintingLayout.h"
#include "ui/CVoiceSelCtrl.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>

namespace {

QStringList LabelTexts(QWidget& window)
{
    QStringList texts;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            texts << label->text();
    }
    return texts;
}

TEST_F(PaintingWindowTest, TheWindowOpensWithItsControlsAndChoices)
{
    auto window = Open();
    const struct
    {
        int id;
        const char* caption;
        bool visible;
    } buttons[] = {{CTxt2ImageWnd::IdGenerate, "开始生成", true}, {CTxt2ImageWnd::IdBrowse, "...", true},
                   {CTxt2ImageWnd::IdDownloadFolder, "下载文件夹", false}, {CTxt2ImageWnd::IdHistory, "历史记录", true},
                   {CTxt2ImageWnd::IdRefresh, "刷新", true}};
    for (const auto& b : buttons) {
        CI3Button* button = window->Button(b.id);
        ASSERT_NE(button, nullptr) << b.caption;
        EXPECT_EQ(button->GetDlgCtrlID(), b.id);
        EXPECT_EQ(button->GetWindowTextW(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->isVisible(), b.visible) << b.caption;
    }
    EXPECT_FALSE(window->Button(CTxt2ImageWnd::IdGenerate)->isEnabled());
    for (const char* label : {"图片描述", "图片比例", "图片风格", "生成个数", "参考图"})
        EXPECT_TRUE(LabelTexts(*window).contains(QString::fromUtf8(label))) << label;
    EXPECT_TRUE(window->StatusLabel()->text().isEmpty());

    EXPECT_EQ(window->RatioSelector()->GetDlgCtrlID(), CTxt2ImageWnd::IdRatios);
    ASSERT_EQ(window->RatioSelector()->Groups().size(), 3);
    EXPECT_EQ(window->RatioSelector()->Groups()[1]->name, QStringLiteral("9:16"));
    EXPECT_EQ(window->RatioSelector()->Groups()[2]->children[2]->name, QStringLiteral("2048x2048"));
    EXPECT_EQ(window->RatioSelector()->GetSelectedText(), QStringLiteral("640x360"));
    EXPECT_EQ(window->RatioSelector()->GetTileWidth(), 70);

    EXPECT_EQ(window->StyleSelector()->GetDlgCtrlID(), CTxt2ImageWnd::IdStyles);
    EXPECT_EQ(window->StyleNames(), kStyles);
    ASSERT_EQ(window->StyleSelector()->Groups().size(), 3);
    EXPECT_EQ(window->StyleSelector()->GetSelectedGroup(), 0);
    EXPECT_NE(window->StyleSelector()->Groups()[0]->image, nullptr);
    EXPECT_TRUE(window->StyleSelector()->Groups()[1]->image->IsEmpty()) << "a missing picture leaves the tile without";
    EXPECT_EQ(window->StyleSelector()->GetTileHeight(), 60);
    EXPECT_EQ(window->StyleSelector()->PictureRect(QRect(0, 0, 70, 60)), QRect(0, 0, 70, 40));

    ASSERT_EQ(window->CountList()->GetCount(), 8);
    EXPECT_EQ(window->CountList()->currentText(), QStringLiteral("4"));
    EXPECT_EQ(window->ReferencePathEdit()->GetDlgCtrlID(), CTxt2ImageWnd::IdReferencePath);
    EXPECT_FALSE(window->ReferencePreview()->isVisible());
    EXPECT_EQ(window->Thumbnails().Grid()->GetDlgCtrlID(), CTxt2ImageWnd::IdGrid);
    EXPECT_EQ(window->Thumbnails().Slider()->GetDlgCtrlID(), CTxt2ImageWnd::IdSizeSlider);
    EXPECT_EQ(window->Thumbnails().Width(), 200);
    EXPECT_EQ(window->Thumbnails().Grid()->GetItemSize(), QSize(200, 220));
    EXPECT_EQ(window->ScrollBar()->GetDlgCtrlID(), CTxt2ImageWnd::IdScrollBar);
    EXPECT_EQ(window->OutputFolder(), m_env.WorkDir() + QStringLiteral("/AIImage/"));
    EXPECT_TRUE(QDir(window->OutputFolder()).exists());
}

TEST_F(PaintingWindowTest, ControlsStandWhereTheLayoutPutsThemAndFollowTheSize)
{
    for (QSize size : {QSize(920, 680), QSize(600, 900), QSize(400, 300)}) {
        SCOPED_TRACE(size.width());
        auto window = Open(size);
        const int ratioHeight = window->RatioSelector()->GetContentHeight();
        const int styleHeight = window->StyleSelector()->GetContentHeight();
        EXPECT_EQ(ratioHeight, 45) << "one row of ratios with the sizes 25 below it";
        EXPECT_EQ(styleHeight, 60) << "three styles fit in one row";
        const PaintingLayout l = PaintingLayout::For(size, ratioHeight, styleHeight, 0, false);
        EXPECT_EQ(window->DescriptionEdit()->geometry(), l.description);
        EXPECT_EQ(window->RatioSelector()->geometry(), l.ratios);
        EXPECT_EQ(window->StyleSelector()->geometry(), l.styles);
        EXPECT_EQ(window->CountList()->geometry(), l.count);
        EXPECT_EQ(window->ReferencePathEdit()->geometry(), l.referencePath);
        EXPECT_EQ(window->Button(CTxt2ImageWnd::IdBrowse)->geometry(), l.browse);
        EXPECT_EQ(window->Button(CTxt2ImageWnd::IdGenerate)->geometry(), l.generate);
        EXPECT_EQ(window->StatusLabel()->geometry(), l.status);
        EXPECT_EQ(window->Thumbnails().Slider()->geometry(), l.sizeSlider);
        EXPECT_EQ(window->Thumbnails().Grid()->geometry(), l.grid);
        EXPECT_EQ(window->ScrollBar()->geometry(), l.scrollBar);
    }
}

TEST_F(PaintingWindowTest, TheWholeColumnScrollsByLinesPagesAndTheWheel)
{
    auto window = Open(QSize(920, 400));
    const int content = window->ContentHeight();
    ASSERT_EQ(content, 45 + 60 + 650);
    const QRect generateAtTop = window->Button(CTxt2ImageWnd::IdGenerate)->geometry();
    const int highest = content - 400;
    EXPECT_EQ(window->ScrollBar()->maximum(), highest);

    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window.get(), &down);
    EXPECT_EQ(window->ScrollPos(), 30);
    EXPECT_EQ(window->Button(CTxt2ImageWnd::IdGenerate)->geometry(), generateAtTop.translated(0, -30));
    EXPECT_EQ(window->ScrollBar()->GetScrollPos(), 30);

    window->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(window->ScrollPos(), highest) << "a page down stops at the end";
    window->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(window->ScrollPos(), highest - 30);
    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(window.get(), &up);
    EXPECT_EQ(window->ScrollPos(), highest - 60);
    window->ScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(window->ScrollPos(), 0);
    EXPECT_EQ(window->Button(CTxt2ImageWnd::IdGenerate)->geometry(), generateAtTop);

    window->ScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    window->resize(920, 1000);
    EXPECT_EQ(window->ScrollPos(), 0) << "a window taller than its column does not scroll";
    window->resize(920, 30);
    EXPECT_EQ(window->ScrollBar()->pageStep(), 60) << "the page is never below 60";
}

TEST_F(PaintingWindowTest, TheGenerateButtonFollowsTheDescription)
{
    auto window = Open();
    CI3Button* generate = window->Button(CTxt2ImageWnd::IdGenerate);
    const struct
    {
        const char* text;
        bool enabled;
    } cases[] = {{"雪山", true}, {"", false}, {"  \n\t ", false}, {" 湖 ", true}, {"\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Describe(*window, QString::fromUtf8(c.text));
        EXPECT_EQ(generate->isEnabled(), c.enabled);
    }
    // A click on a disabled button, or on an empty description, asks nothing of the service.
    generate->click();
    EXPECT_TRUE(m_env.Server().RequestsTo(kCreatePath).empty());
}

TEST_F(PaintingWindowTest, EscapeInsideTheControlsIsSwallowedAndElsewhereLeftAlone)
{
    auto window = Open();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_TRUE(window->PreTranslateMessage(window->DescriptionEdit(), &escape));
    EXPECT_TRUE(window->PreTranslateMessage(window->ReferencePathEdit()->Editor(), &escape));
    EXPECT_FALSE(window->PreTranslateMessage(window.get(), &escape));
    EXPECT_FALSE(window->PreTranslateMessage(window->DescriptionEdit(), &other));
    EXPECT_FALSE(window->PreTranslateMessage(window->DescriptionEdit(), &release));
    QDialog dialog(window.get());
    QLineEdit field(&dialog);
    EXPECT_FALSE(window->PreTranslateMessage(&field, &escape)) << "a dialog the window opened closes on Escape";
}

TEST_F(PaintingWindowTest, AMissingOrBrokenStyleLibraryLeavesTheSelectorEmptyAndTheWindowWorking)
{
    const char* libraries[] = {nullptr, "", "<Styles><Style Name=", "<?xml version=\"1.0\"?>", "<Styles/>",
                               "\xFF\xFE garbage \x01\x02"};
    for (const char* library : libraries) {
        SCOPED_TRACE(library ? library : "no file");
        WriteStyles(library);
        m_env.Server().Reset();
        m_env.GrantTokens();
        ScriptService(R"({"error_code":282004,"error_msg":"stop"})");
        auto window = Open();
        EXPECT_TRUE(window->StyleNames().isEmpty());
        EXPECT_TRUE(window->StyleSelector()->Groups().isEmpty());
        EXPECT_EQ(window->StyleSelector()->GetContentHeight(), 0);
        EXPECT_EQ(window->ContentHeight(), 45 + 650);
        Describe(*window, QStringLiteral("湖泊"));
        ASSERT_TRUE(Generate(*window));
        EXPECT_EQ(LastCreateBody().at("prompt").as_string(), "湖泊") << "no style is appended";
    }
}

TEST_F(PaintingWindowTest, TheHistoryOpensOnThePaintingLogAndHandsEntriesToTheEditor)
{
    HostPanel panel;
    auto window = Open();
    window->SetOwner(&panel);
    window->Button(CTxt2ImageWnd::IdHistory)->click();
    CItemHistoryDlg* dialog = GetHistoryDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->GetToolType(), 0);
    EXPECT_EQ(dialog->GetListWnd()->GetOwnerTool(), window.get());
    EXPECT_EQ(dialog->GetListWnd()->GetRowHeight(), 60);
    dialog->hide();

    // Strings made at run time share their data with their copies, which shows when one is freed.
    const QString files = QString::fromUtf8("/w/AIImage/a.png|/w/AIImage/b.png|");
    const QString source = QString::fromUtf8("雪山|油画");
    QOVPostTexts(window.get(), CTxt2ImageWnd::kHistoryItemMessage, source, files);
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(panel.Paths(), QStringList{files}) << "the file list goes to the owner as it came";
    EXPECT_TRUE(panel.results.front().object.isNull());
    panel.results.clear();
    EXPECT_TRUE(files.isDetached() && source.isDetached()) << "both texts went with the message";
}

TEST_F(PaintingWindowTest, TheHiddenDownloadFolderButtonWouldMoveTheOutput)
{
    auto window = Open();
    window->folderAnswer = QString();
    window->Button(CTxt2ImageWnd::IdDownloadFolder)->click();
    EXPECT_EQ(window->OutputFolder(), m_env.WorkDir() + QStringLiteral("/AIImage/")) << "cancelled";
    window->folderAnswer = QStringLiteral("/tmp/elsewhere");
    window->Button(CTxt2ImageWnd::IdDownloadFolder)->click();
    EXPECT_EQ(window->OutputFolder(), QStringLiteral("/tmp/elsewhere/"));
}

} // namespace
