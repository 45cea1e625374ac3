#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

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

// The loaded module's copywriting window, driven as a user would, files its text in the studio.
TEST(StudioCopywriting, AGeneratedTextPutOnTheTrackLandsInTheBin)
{
    // The module reads its settings from the folders the test environment points at.
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"result":"工作室里的文案。"})");

    QString error;
    std::optional<ModuleEntry> module = ModuleEntry::Load(QStringLiteral(QOVAIGC_MODULE), &error);
    ASSERT_TRUE(module) << error.toStdString();
    StudioWindow studio(std::move(*module), QStringLiteral(QOVAIGC_MODULE));
    studio.show();
    studio.ChooseTool(3);
    QWidget* tool = studio.Panel().Window();
    ASSERT_NE(tool, nullptr);
    const QList<QTextEdit*> edits = tool->findChildren<QTextEdit*>();
    ASSERT_EQ(edits.size(), 2);
    QPushButton* start = Captioned(tool, QStringLiteral("开始写作"));
    QPushButton* putOnTrack = Captioned(tool, QStringLiteral("文稿上轨"));
    ASSERT_TRUE(start && putOnTrack);

    edits.front()->setPlainText(QStringLiteral("工作室"));
    start->click();
    QElapsedTimer timer;
    timer.start();
    while (!start->isEnabled() && timer.elapsed() < 20000) {
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(putOnTrack->isEnabled());
    EXPECT_EQ(edits.back()->toPlainText(), QStringLiteral("工作室里的文案。"));

    putOnTrack->click();
    ASSERT_EQ(studio.Project().Bin().size(), 1);
    EXPECT_TRUE(studio.Project().Bin().front().path.startsWith(env.WorkDir() + QStringLiteral("/Copywriting/")));
    EXPECT_EQ(studio.Project().Bin().front().tool, QStringLiteral("AI 文案"));
    studio.close();
}

} // namespace
