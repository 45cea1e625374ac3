#include "history/CItemHistoryDlg.h"
#include "history/CItemListWnd.h"
#include "host/CI3Button.h"
#include "ui/SharedWindowState.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDateEdit>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kCreated(QDate(2024, 3, 5), QTime(14, 7, 9));

class HistoryDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnvironment::Get(); // the module's own logs live below its application folder
        m_dialog.Create(CItemHistoryDlg::kTemplateId, nullptr);
    }

    QString Folder() const
    {
        return m_root.path() + QStringLiteral("/AI文案/");
    }

    // A run's log file holding one finished task, counted for the given day.
    void AddRun(const QString& name, const QDateTime& date, const QString& taskId)
    {
        QDir().mkpath(Folder());
        const QString line = QStringLiteral("\r\r\n2024-03-01 10:00:00  : TaskID=%1, SrcInfo=话题 %1, Stat=2, Files=/w/%1.txt");
        ASSERT_TRUE(WriteBytes(Folder() + name, line.arg(taskId).toUtf8()));
        m_dates.insert(Folder() + name, date);
    }

    TransLog::FileDateSource Dates()
    {
        return [this](const QString& path) { return m_dates.value(path, QDateTime::currentDateTime()); };
    }

    QStringList ListedIds() const
    {
        QStringList ids;
        const CItemListWnd* list = m_dialog.GetListWnd();
        for (int row = 0; row < list->GetItemCount(); ++row)
            ids << list->GetItem(row)->TaskID;
        return ids;
    }

    QTemporaryDir m_root;
    QHash<QString, QDateTime> m_dates;
    CItemHistoryDlg m_dialog;
};

TEST_F(HistoryDialog, LaysOutItsControlsForTheClientSize)
{
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("历史记录"));
    EXPECT_EQ(m_dialog.minimumSize(), QSize(496, 364));
    m_dialog.show(); // a hidden window holds its resize back until shown
    m_dialog.resize(700, 500);
    const auto child = [this](const QString& text) -> QWidget* {
        for (auto* label : m_dialog.findChildren<QLabel*>())
            if (label->text() == text)
                return label;
        for (auto* button : m_dialog.findChildren<CI3Button*>())
            if (button->GetWindowTextW() == text)
                return button;
        return nullptr;
    };
    const std::pair<QWidget*, QRect> cases[] = {
        {m_dialog.GetListWnd(), {5, 5, 690, 460}},
        {child(QStringLiteral("开始日期")), {5, 470, 55, 20}},
        {m_dialog.GetStartPicker(), {60, 470, 95, 20}},
        {child(QStringLiteral("截至日期")), {160, 470, 55, 20}},
        {m_dialog.GetEndPicker(), {215, 470, 95, 20}},
        {child(QStringLiteral("刷新")), {315, 470, 60, 20}},
        {child(QStringLiteral("关闭")), {620, 470, 60, 20}},
    };
    for (const auto& [widget, rect] : cases) {
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className();
    }
    EXPECT_EQ(m_dialog.GetStartPicker()->displayFormat(), QStringLiteral("yyyy-MM-dd"));
}

TEST_F(HistoryDialog, RefreshReadsWholeDaysOfThePickedRange)
{
    AddRun(QStringLiteral("Log2024_02_20_09_00_00.txt"), QDateTime(QDate(2024, 2, 20), QTime(9, 0)), QStringLiteral("old"));
    AddRun(QStringLiteral("Log2024_02_27_23_30_00.txt"), QDateTime(QDate(2024, 2, 27), QTime(23, 30)), QStringLiteral("first-day"));
    AddRun(QStringLiteral("Log2024_03_03_12_00_00.txt"), QDateTime(QDate(2024, 3, 3), QTime(12, 0)), QStringLiteral("middle"));
    AddRun(QStringLiteral("Log2024_03_05_08_00_00.txt"), QDateTime(QDate(2024, 3, 5), QTime(8, 0)), QStringLiteral("last-day"));
    AddRun(QStringLiteral("Log2024_03_06_00_00_01.txt"), QDateTime(QDate(2024, 3, 6), QTime(0, 0, 1)), QStringLiteral("after"));
    TransLog log(Folder(), kCreated, Dates());
    log.LoadLogs();

    m_dialog.SetTransLog(&log);
    m_dialog.ShowTool();
    EXPECT_EQ(m_dialog.GetStartPicker()->date(), QDate(2024, 2, 27));
    EXPECT_EQ(m_dialog.GetEndPicker()->date(), QDate(2024, 3, 5));
    EXPECT_EQ(ListedIds(), (QStringList{QStringLiteral("last-day"), QStringLiteral("middle")}))
        << "the default range starts at 14:07 of its first day";

    // Unchanged pickers now mean their whole days.
    m_dialog.Refresh();
    EXPECT_EQ(log.RangeStart(), QDateTime(QDate(2024, 2, 27), QTime(0, 0, 0)));
    EXPECT_EQ(log.RangeEnd(), QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59)));
    EXPECT_EQ(ListedIds(), (QStringList{QStringLiteral("last-day"), QStringLiteral("middle"), QStringLiteral("first-day")}));
    const TaskItemData* entry = m_dialog.GetListWnd()->GetItem(2);
    EXPECT_EQ(entry->SrcInfo, QStringLiteral("话题 first-day"));
    EXPECT_EQ(entry->FileLine, QStringLiteral("文件：first-day.txt"));

    m_dialog.GetStartPicker()->setDate(QDate(2024, 3, 6));
    m_dialog.GetEndPicker()->setDate(QDate(2024, 3, 6));
    m_dialog.Refresh();
    EXPECT_EQ(ListedIds(), QStringList{QStringLiteral("after")}) << "a single day picked is the whole day";

    m_dialog.GetStartPicker()->setDate(QDate(2024, 1, 1));
    m_dialog.GetEndPicker()->setDate(QDate(2024, 1, 31));
    m_dialog.Refresh();
    EXPECT_TRUE(ListedIds().isEmpty());
    EXPECT_EQ(log.ItemCount(), 0) << "the log was cleared before reading";
}

TEST_F(HistoryDialog, ShowToolPicksTheToolsLogAndSetsItsList)
{
    QWidget tool;
    m_dialog.SetToolType(ToolTable::Of(ToolId::Dubbing).historyNumber);
    m_dialog.SetOwnerWnd(&tool);
    m_dialog.SetRowHeight(40);
    m_dialog.ShowTool();
    EXPECT_EQ(m_dialog.GetTransLog(), &GetDubbingLog());
    EXPECT_EQ(m_dialog.GetListWnd()->GetOwnerTool(), &tool);
    EXPECT_EQ(m_dialog.GetListWnd()->GetRowHeight(), 40);
    EXPECT_EQ(m_dialog.GetStartPicker()->date(), GetDubbingLog().RangeStart().date());

    m_dialog.SetToolType(7);
    m_dialog.ShowTool();
    EXPECT_EQ(m_dialog.GetTransLog(), &GetDubbingLog()) << "an unknown number keeps the current log";
    m_dialog.SetToolType(ToolTable::Of(ToolId::Copywriting).historyNumber);
    m_dialog.ShowTool();
    EXPECT_EQ(m_dialog.GetTransLog(), &GetCopywritingLog());
}

TEST(HistoryDialogInstance, OneDialogHiddenByCloseAndDestroyedOnRelease)
{
    TestEnvironment::Get();
    CItemHistoryDlg* dialog = GetHistoryDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetHistoryDlg(), dialog);
    EXPECT_EQ(SharedWindowState::Get().historyDialog.data(), dialog);
    EXPECT_EQ(dialog->parentWidget(), nullptr);
    EXPECT_FALSE(dialog->isModal());

    dialog->show();
    ASSERT_TRUE(dialog->isVisible());
    CI3Button* close = nullptr;
    for (auto* button : dialog->findChildren<CI3Button*>())
        if (button->GetDlgCtrlID() == CItemHistoryDlg::kCloseId)
            close = button;
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(GetHistoryDlg(), dialog) << "closing keeps it";

    QPointer<QWidget> watch(dialog);
    SharedWindowState::Get().Release();
    EXPECT_TRUE(watch.isNull());
    CItemHistoryDlg* again = GetHistoryDlg();
    EXPECT_NE(again, nullptr);
    delete again;
}

} // namespace
