#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {

QPushButton* Captioned(QWidget* window, const QString& caption)
{
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 20000)
            return false;
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Mouse(QWidget* widget, QEvent::Type type, const QPoint& at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// The loaded module's painting window makes images, and the history hands them to the studio.
TEST(StudioPainting, ImagesHandedOverFromTheHistoryLandInTheBinWithThumbnails)
{
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(Qt::darkMagenta);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    std::string images;
    for (const char* name : {"s1.png", "s2.png"}) {
        env.Server().Reply("GET", std::string("/files/") + name, 200, png.toStdString(), "image/png");
        images += std::string(images.empty() ? "" : ",") + R"({"img_url":")" + env.Server().Url("/files/") + name +
                  R"(?x=1","width":1280,"height":720,"img_approve_conclusion":"pass"})";
    }
    env.Server().Reply("POST", "/ernievilg/v1/txt2imgv2", 200, R"({"data":{"task_id":501}})");
    env.Server().Reply("POST", "/ernievilg/v1/getImgv2", 200,
                       R"({"data":{"task_id":501,"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[)"
                       R"({"final_image_list":[)" + images + "]}]}}");

    QString error;
    std::optional<ModuleEntry> module = ModuleEntry::Load(QStringLiteral(QOVAIGC_MODULE), &error);
    ASSERT_TRUE(module) << error.toStdString();
    StudioWindow studio(std::move(*module), QStringLiteral(QOVAIGC_MODULE));
    studio.show();
    studio.ChooseTool(0);
    QWidget* tool = studio.Panel().Window();
    ASSERT_NE(tool, nullptr);
    const QList<QTextEdit*> edits = tool->findChildren<QTextEdit*>();
    ASSERT_EQ(edits.size(), 1);
    QPushButton* generate = Captioned(tool, QStringLiteral("开始生成"));
    ASSERT_NE(generate, nullptr);
    edits.front()->setPlainText(QStringLiteral("工作室的海报"));
    generate->click();
    ASSERT_TRUE(WaitFor([&] { return generate->isEnabled(); }));
    EXPECT_TRUE(studio.Project().Bin().isEmpty()) << "new images stay in the window until handed over";

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
    ASSERT_TRUE(WaitFor([&] { return studio.Project().Bin().size() == 2; }));
    const QString folder = env.WorkDir() + QStringLiteral("/AIImage/");
    EXPECT_EQ(studio.Project().Bin()[0].path, folder + QStringLiteral("s1.png"));
    EXPECT_EQ(studio.Project().Bin()[1].path, folder + QStringLiteral("s2.png"));
    EXPECT_EQ(studio.Project().Bin()[0].tool, QStringLiteral("AI 绘画"));
    QListWidget* bin = studio.View().BinList();
    ASSERT_EQ(bin->count(), 2);
    EXPECT_FALSE(bin->item(0)->icon().isNull()) << "an image is listed with its thumbnail";
    EXPECT_EQ(bin->item(0)->text(), QStringLiteral("s1.png\nAI 绘画"));
    history->hide();
    studio.close();
}

} // namespace
