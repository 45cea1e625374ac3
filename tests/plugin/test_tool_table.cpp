#include "history/CItemHistoryDlg.h"
#include "history/HistoryOpener.h"
#include "history/TaskItemBuilder.h"
#include "host/QOVStringTable.h"
#include "plugin/AIGCTypes.h"
#include "plugin/QOVAIGCFunc.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"
#include "support/TestEnvironment.h"
#include "ui/ISelectionReceiver.h"
#include "ui/SharedWindowState.h"
#include "ui/WindowMakers.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

// Every window command of the entry reaches this window, which records what it is handed.
class RecordingWindow : public QWidget, public ISelectionReceiver
{
public:
    RecordingWindow(QWidget* parent, int childId)
        : QWidget(parent)
        , childId(childId)
    {
    }
    void SetSelection(const QString& text, const QUuid&, const QHash<QString, QString>* properties) override
    {
        selected = text;
        hadProperties = properties != nullptr;
    }
    int childId;
    QString selected;
    bool hadProperties = false;
};

TEST(ToolTable, RowsAreFoundByIdGuidHistoryNumberAndCommandAndEachIsUnique)
{
    const auto rows = ToolTable::Rows();
    ASSERT_EQ(rows.size(), 5u);
    std::set<QUuid> guids;
    std::set<int> historyNumbers;
    std::set<int> childIds;
    std::set<QString> commands;
    std::set<QString> folders;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ToolRow& row = rows[i];
        SCOPED_TRACE(row.commandName);
        EXPECT_EQ(row.id, ToolId(i)) << "the ids number the rows";
        EXPECT_EQ(&ToolTable::Of(row.id), &row);
        EXPECT_EQ(ToolTable::Find(row.guid), &row);
        EXPECT_EQ(ToolTable::FindByHistoryNumber(row.historyNumber), &row);
        EXPECT_EQ(ToolTable::FindByCommand(QString::fromLatin1(row.commandName)), &row);
        EXPECT_FALSE(row.guid.isNull());
        guids.insert(row.guid);
        historyNumbers.insert(row.historyNumber);
        childIds.insert(row.childId);
        commands.insert(QString::fromLatin1(row.commandName));
        folders.insert(QString::fromUtf8(row.logFolder));
    }
    EXPECT_EQ(guids.size(), rows.size());
    EXPECT_EQ(historyNumbers.size(), rows.size());
    EXPECT_EQ(childIds.size(), rows.size());
    EXPECT_EQ(commands.size(), rows.size());
    EXPECT_EQ(folders.size(), rows.size());
    // The numbering the history dialog has always used, which is not the listing order; a new
    // tool takes the next number.
    const int numbers[] = {0, 2, 1, 3, 4};
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].historyNumber, numbers[i]) << rows[i].commandName;

    EXPECT_EQ(ToolTable::Find(QUuid()), nullptr);
    EXPECT_EQ(ToolTable::Find(QUuid::createUuid()), nullptr);
    EXPECT_EQ(ToolTable::FindByHistoryNumber(-1), nullptr);
    EXPECT_EQ(ToolTable::FindByCommand(QStringLiteral("Painting")), nullptr) << "command names are exact";
    EXPECT_EQ(ToolTable::FindByCommand(QString()), nullptr);
}

TEST(ToolTable, TheEntryListsCreatesAndHandsOverAsTheRowsSay)
{
    TestEnvironment::Get();
    AIGCToolInfoArray listed;
    ASSERT_EQ(QOVAIGCFunc(AIGC_LIST_TOOLS, nullptr, &listed), 0);
    ASSERT_EQ(listed.size(), qsizetype(ToolTable::Rows().size()));

    QWidget panel;
    QHash<QString, QString> properties{{QStringLiteral("/other.mp4"), QStringLiteral("{id}")}};
    for (std::size_t i = 0; i < ToolTable::Rows().size(); ++i) {
        const ToolRow& row = ToolTable::Rows()[i];
        SCOPED_TRACE(row.commandName);
        EXPECT_EQ(listed[qsizetype(i)].toolId, row.guid);
        EXPECT_EQ(listed[qsizetype(i)].displayName, ZuLoadString(QString::fromUtf8(row.nameKey)));

        WindowMakers::Register(row.id, [](QWidget* parent, int, int childId) -> QWidget* {
            return new RecordingWindow(parent, childId);
        });
        AIGCToolParam create{.object = &panel, .toolId = row.guid, .selectedObject = {}, .value = 0x7001};
        AIGCToolParam created;
        ASSERT_EQ(QOVAIGCFunc(AIGC_CREATE_WINDOW, &create, &created), 0);
        auto* window = reinterpret_cast<RecordingWindow*>(uintptr_t(created.value));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->childId, row.childId);

        AIGCToolParam select{.object = &properties, .toolId = row.guid, .selectedObject = {},
                             .value = uint64_t(reinterpret_cast<uintptr_t>(u"chosen"))};
        ASSERT_EQ(QOVAIGCFunc(AIGC_SELECT, &select, nullptr), 0);
        EXPECT_EQ(window->selected.isEmpty(), row.selection == ToolSelection::None);
        EXPECT_EQ(window->hadProperties,
                  row.selection == ToolSelection::MediaFiles || row.selection == ToolSelection::Subtitles);

        AIGCToolParam destroy{.object = window, .toolId = row.guid, .selectedObject = {}, .value = 0};
        EXPECT_EQ(QOVAIGCFunc(AIGC_DESTROY_WINDOW, &destroy, nullptr), 0);
        WindowMakers::Unregister(row.id);
    }
}

TEST(ToolTable, LogsAndTheHistoryFollowTheRows)
{
    const TestEnvironment& env = TestEnvironment::Get();
    EXPECT_EQ(&GetPaintingLog(), &GetToolLog(ToolId::Painting));
    EXPECT_EQ(&GetDubbingLog(), &GetToolLog(ToolId::Dubbing));
    EXPECT_EQ(&GetSubtitlesLog(), &GetToolLog(ToolId::Subtitles));
    EXPECT_EQ(&GetCopywritingLog(), &GetToolLog(ToolId::Copywriting));

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("result.png"));
    QImage(4, 4, QImage::Format_ARGB32).save(image);
    const QString text = dir.filePath(QStringLiteral("result.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("正文\n");
    file.close();

    QWidget owner;
    for (const ToolRow& row : ToolTable::Rows()) {
        SCOPED_TRACE(row.commandName);
        EXPECT_EQ(GetToolLog(row.id).Folder(), env.AppDir() + QStringLiteral("/AppLocalFiles/AILog/") +
                                                   QString::fromUtf8(row.logFolder) + QLatin1Char('/'));

        HistoryOpener(row.id, 30).Open(&owner);
        CItemHistoryDlg* dialog = GetHistoryDlg();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetToolType(), row.historyNumber);
        EXPECT_EQ(dialog->GetTransLog(), &GetToolLog(row.id));

        const QString files = row.historyPreview == HistoryPreview::Images ? image + QLatin1Char('|') : text;
        const auto item = TaskItemBuilder::Build({QStringLiteral("T"), QStringLiteral("源"), files, 2},
                                                 row.historyNumber, SharedWindowState::Get().Thumbnails());
        EXPECT_EQ(item->Thumbnails.size(), row.historyPreview == HistoryPreview::Images ? 1 : 0);
        EXPECT_EQ(item->FileLine.isEmpty(), row.historyPreview == HistoryPreview::Images);
        EXPECT_EQ(item->TextLine.isEmpty(), row.historyPreview != HistoryPreview::FileNameAndText);
    }
    SharedWindowState::Get().Release();
}

} // namespace
