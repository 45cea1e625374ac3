// The loaded module's tool windows, driven as a user would, against fake services: each tool's
// result lands in the studio, filed with the object it belongs to. The module reads its settings
// from the test environment's folders.
#include "ImagePainter.h"
#include "OpenStudio.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "support/Delivery.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTextEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool ShowsLabel(QWidget* window, const QString& text)
{
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [&](QLabel* label) { return label->text() == text; });
}

void Mouse(QWidget* widget, QEvent::Type type, const QPoint& at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

TEST(StudioCopywriting, AGeneratedTextPutOnTheTrackLandsInTheBin)
{
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"result":"工作室里的文案。"})");
    const auto studio = OpenStudio();
    ASSERT_TRUE(studio);
    studio->ChooseTool(3);
    QWidget* tool = studio->Panel().Window();
    ASSERT_NE(tool, nullptr);
    const QList<QTextEdit*> edits = tool->findChildren<QTextEdit*>();
    ASSERT_EQ(edits.size(), 2);
    QPushButton* start = Captioned(tool, QStringLiteral("开始写作"));
    QPushButton* putOnTrack = Captioned(tool, QStringLiteral("文稿上轨"));
    ASSERT_TRUE(start && putOnTrack);

    edits.front()->setPlainText(QStringLiteral("工作室"));
    start->click();
    DeliverUntil(tool, [&] { return start->isEnabled(); });
    ASSERT_TRUE(putOnTrack->isEnabled());
    EXPECT_EQ(edits.back()->toPlainText(), QStringLiteral("工作室里的文案。"));

    putOnTrack->click();
    ASSERT_EQ(studio->Project().Bin().size(), 1);
    EXPECT_TRUE(studio->Project().Bin().front().path.startsWith(env.WorkDir() + QStringLiteral("/Copywriting/")));
    EXPECT_EQ(studio->Project().Bin().front().tool, QStringLiteral("AI 文案"));
    studio->close();
}

// The dubbing window reads the chosen text object and its audio comes back to it.
TEST(StudioDubbing, TheChosenTextIsSpokenAndItsAudioAttachedToIt)
{
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(3000, 'A'), "audio/mp3");
    const auto studio = OpenStudio();
    ASSERT_TRUE(studio);
    const QUuid first = studio->Project().AddText(QStringLiteral("第一段"));
    const QUuid second = studio->Project().AddText(QStringLiteral("第二段要配音"));
    studio->View().SelectText(first);
    studio->ChooseTool(1);
    QWidget* tool = studio->Panel().Window();
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(ShowsLabel(tool, QStringLiteral("选中的文字内容：\n第一段"))) << "the selection when the tool opens";
    studio->View().SelectText(second);
    EXPECT_TRUE(ShowsLabel(tool, QStringLiteral("选中的文字内容：\n第二段要配音"))) << "and every change after";

    QPushButton* start = Captioned(tool, QStringLiteral("开始朗读"));
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(start->isEnabled());
    start->click();
    // The request runs on a worker; the studio's loop delivers its end.
    EXPECT_TRUE(DeliverUntil(tool, [&] { return ShowsLabel(tool, QStringLiteral("生成成功！")); }));

    const TextObject* spoken = studio->Project().FindText(second);
    ASSERT_EQ(spoken->audio.size(), 1);
    EXPECT_TRUE(spoken->audio[0].path.startsWith(env.WorkDir() + QStringLiteral("/AIAudio/Audio")));
    EXPECT_EQ(spoken->audio[0].tool, QStringLiteral("AI 配音"));
    EXPECT_TRUE(studio->Project().FindText(first)->audio.isEmpty());
    ASSERT_EQ(studio->Project().Bin().size(), 1);
    EXPECT_EQ(studio->Project().Bin()[0].owner, second);
    EXPECT_TRUE(studio->View().BinList()->item(0)->text().endsWith(QStringLiteral(" → 第二段要配音")));
    EXPECT_EQ(studio->View().TextList()->topLevelItem(1)->childCount(), 1);
    studio->close();
}

// The painting window makes images, and its history hands them to the studio.
TEST(StudioPainting, ImagesHandedOverFromTheHistoryLandInTheBinWithThumbnails)
{
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(Qt::darkMagenta);
    const std::string png = ImagePainter::EncodePng(picture);
    std::string images;
    for (const char* name : {"s1.png", "s2.png"}) {
        env.Server().Reply("GET", std::string("/files/") + name, 200, png, "image/png");
        images += std::string(images.empty() ? "" : ",") + R"({"img_url":")" + env.Server().Url("/files/") + name +
                  R"(?x=1","width":1280,"height":720,"img_approve_conclusion":"pass"})";
    }
    env.Server().Reply("POST", "/ernievilg/v1/txt2imgv2", 200, R"({"data":{"task_id":501}})");
    env.Server().Reply("POST", "/ernievilg/v1/getImgv2", 200,
                       R"({"data":{"task_id":501,"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[)"
                       R"({"final_image_list":[)" + images + "]}]}}");
    const auto studio = OpenStudio();
    ASSERT_TRUE(studio);
    studio->ChooseTool(0);
    QWidget* tool = studio->Panel().Window();
    ASSERT_NE(tool, nullptr);
    const QList<QTextEdit*> edits = tool->findChildren<QTextEdit*>();
    ASSERT_EQ(edits.size(), 1);
    QPushButton* generate = Captioned(tool, QStringLiteral("开始生成"));
    ASSERT_NE(generate, nullptr);
    edits.front()->setPlainText(QStringLiteral("工作室的海报"));
    generate->click();
    ASSERT_TRUE(DeliverUntil(tool, [&] { return generate->isEnabled(); }));
    EXPECT_TRUE(studio->Project().Bin().isEmpty()) << "new images stay in the window until handed over";

    Captioned(tool, QStringLiteral("历史记录"))->click();
    QDialog* history = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QDialog*>(widget))
            history = qobject_cast<QDialog*>(widget);
    }
    ASSERT_NE(history, nullptr);
    QWidget* list = history->findChild<QWidget*>(QStringLiteral("1001"));
    ASSERT_NE(list, nullptr);
    // The add icon sits in the middle of the first row's result column.
    const int width = list->width() - 15;
    const int source = std::max(210, width * 2 / 5 - 30);
    const QPoint icon((30 + source + width) / 2, 60 / 2);
    Mouse(list, QEvent::MouseMove, icon);
    Mouse(list, QEvent::MouseButtonPress, icon);
    Mouse(list, QEvent::MouseButtonRelease, icon);
    ASSERT_TRUE(DeliverUntil(tool, [&] { return studio->Project().Bin().size() == 2; }));
    const QString folder = env.WorkDir() + QStringLiteral("/AIImage/");
    EXPECT_EQ(studio->Project().Bin()[0].path, folder + QStringLiteral("s1.png"));
    EXPECT_EQ(studio->Project().Bin()[1].path, folder + QStringLiteral("s2.png"));
    EXPECT_EQ(studio->Project().Bin()[0].tool, QStringLiteral("AI 绘画"));
    QListWidget* bin = studio->View().BinList();
    ASSERT_EQ(bin->count(), 2);
    EXPECT_FALSE(bin->item(0)->icon().isNull()) << "an image is listed with its thumbnail";
    EXPECT_EQ(bin->item(0)->text(), QStringLiteral("s1.png\nAI 绘画"));
    history->hide();
    studio->close();
}

} // namespace
