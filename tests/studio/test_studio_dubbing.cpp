#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "support/Delivery.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QPushButton* Captioned(QWidget* window, const QString& caption)
{
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

bool ShowsLabel(QWidget* window, const QString& text)
{
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text() == text)
            return true;
    }
    return false;
}

// The loaded module's dubbing window reads the chosen text object and its audio comes back to it.
TEST(StudioDubbing, TheChosenTextIsSpokenAndItsAudioAttachedToIt)
{
    TestEnvironment& env = TestEnvironment::Get();
    env.GrantTokens();
    env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(3000, 'A'), "audio/mp3");

    QString error;
    std::optional<ModuleEntry> module = ModuleEntry::Load(QStringLiteral(QOVAIGC_MODULE), &error);
    ASSERT_TRUE(module) << error.toStdString();
    StudioWindow studio(std::move(*module), QStringLiteral(QOVAIGC_MODULE));
    studio.show();
    const QUuid first = studio.Project().AddText(QStringLiteral("第一段"));
    const QUuid second = studio.Project().AddText(QStringLiteral("第二段要配音"));
    studio.View().SelectText(first);
    studio.ChooseTool(1);
    QWidget* tool = studio.Panel().Window();
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(ShowsLabel(tool, QStringLiteral("选中的文字内容：\n第一段"))) << "the selection when the tool opens";
    studio.View().SelectText(second);
    EXPECT_TRUE(ShowsLabel(tool, QStringLiteral("选中的文字内容：\n第二段要配音"))) << "and every change after";

    QPushButton* start = Captioned(tool, QStringLiteral("开始朗读"));
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(start->isEnabled());
    start->click();
    // The request runs on a worker; the studio's loop delivers its end.
    EXPECT_TRUE(DeliverUntil(tool, [&] { return ShowsLabel(tool, QStringLiteral("生成成功！")); }));

    const TextObject* spoken = studio.Project().FindText(second);
    ASSERT_EQ(spoken->audio.size(), 1);
    EXPECT_TRUE(spoken->audio[0].path.startsWith(env.WorkDir() + QStringLiteral("/AIAudio/Audio")));
    EXPECT_EQ(spoken->audio[0].tool, QStringLiteral("AI 配音"));
    EXPECT_TRUE(studio.Project().FindText(first)->audio.isEmpty());
    ASSERT_EQ(studio.Project().Bin().size(), 1);
    EXPECT_EQ(studio.Project().Bin()[0].owner, second);
    EXPECT_TRUE(studio.View().BinList()->item(0)->text().endsWith(QStringLiteral(" → 第二段要配音")));
    EXPECT_EQ(studio.View().TextList()->topLevelItem(1)->childCount(), 1);
    studio.close();
}

} // namespace
