#include "history/TaskItemBuilder.h"
#include "host/CZuBuffer.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"
#include "ui/ThumbnailCache.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The number the history dialog knows the tool by.
int Number(ToolId tool)
{
    return ToolTable::Of(tool).historyNumber;
}

class HistoryEntries : public ::testing::Test
{
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    QString WriteImage(const QString& name, const QColor& colour)
    {
        QImage image(32, 24, QImage::Format_ARGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    QTemporaryDir m_dir;
    ThumbnailCache m_cache;
};

TEST_F(HistoryEntries, PreviewTakesTheRightLinesOfEachKindOfFile)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
        QString preview;
    } cases[] = {
        {"two-blocks.srt",
         "1\r\n00:00:01,000 --> 00:00:02,500\r\n第一句\r\n第一句续\r\n\r\n"
         "2\r\n00:00:03,000 --> 00:00:04,000\r\nsecond\r\nsecond more\r\n",
         QStringLiteral("第一句second")},
        {"upper.SRT", "1\n00:00:01,000 --> 00:00:02,000\n  only  \n", QStringLiteral("only")},
        {"before-time.srt", "stray\n1\n00:00:01,000 --> 00:00:02,000\n\n\ntext after blanks\n",
         QStringLiteral("text after blanks")},
        {"arrow-without-colon.srt", "a --> b\nnot a block\n", QString()},
        {"plain.txt", "\xEF\xBB\xBF  first line \r\n\r\n\tsecond\r\n00:00:01 --> kept\n",
         QStringLiteral("first linesecond00:00:01 --> kept")},
        {"empty.txt", "", QString()},
        {"blank.srt", "\r\n   \r\n", QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TaskItemBuilder::TextPreview(Write(QString::fromLatin1(c.name), c.bytes)), c.preview) << c.name;
    EXPECT_EQ(TaskItemBuilder::TextPreview(m_dir.filePath(QStringLiteral("missing.srt"))), QString());
    EXPECT_EQ(TaskItemBuilder::TextPreview(QString()), QString());
}

TEST_F(HistoryEntries, TextToolsShowTheFileNameAndOnlySubtitlesAndCopywritingAPreview)
{
    const QString srt = Write(QStringLiteral("片段.srt"), "1\n00:00:01,000 --> 00:00:02,000\n你好\n");
    const QString txt = Write(QStringLiteral("文案.txt"), "标题\n正文\n");
    const QString mp3 = Write(QStringLiteral("voice.mp3"), "ID3 not text at all\n");
    const struct
    {
        int tool;
        QString files;
        QString fileLine;
        QString textLine;
    } cases[] = {
        {Number(ToolId::Dubbing), mp3, QStringLiteral("文件：voice.mp3"), QString()},
        {Number(ToolId::Subtitles), srt, QStringLiteral("文件：片段.srt"), QStringLiteral("文本内容：你好")},
        {Number(ToolId::Copywriting), txt, QStringLiteral("文件：文案.txt"), QStringLiteral("文本内容：标题正文")},
        {Number(ToolId::Copywriting), m_dir.filePath(QStringLiteral("gone.txt")), QStringLiteral("文件：gone.txt"),
         QString()},
        {Number(ToolId::Subtitles), QString(), QStringLiteral("文件："), QString()},
    };
    for (const auto& c : cases) {
        const TransLogItem record{QStringLiteral("T-1"), QStringLiteral("源|文本"), c.files, 2};
        const auto item = TaskItemBuilder::Build(record, c.tool, m_cache);
        EXPECT_EQ(item->TaskID, QStringLiteral("T-1"));
        EXPECT_EQ(item->SrcInfo, QStringLiteral("源|文本"));
        EXPECT_EQ(item->Files, c.files);
        EXPECT_EQ(item->FileLine, c.fileLine) << c.tool;
        EXPECT_EQ(item->TextLine, c.textLine) << c.tool;
        EXPECT_TRUE(item->Thumbnails.isEmpty());
    }
    EXPECT_EQ(m_cache.Count(), 0) << "only painting reads images";
}

TEST_F(HistoryEntries, PaintingEntriesTakeTheLoadableImagesFromTheCache)
{
    const QString red = WriteImage(QStringLiteral("red.png"), Qt::red);
    const QString blue = WriteImage(QStringLiteral("blue.png"), Qt::blue);
    const QString broken = Write(QStringLiteral("broken.png"), "not an image");
    const TransLogItem record{QStringLiteral("P-1"), QStringLiteral("湖"),
                              red + "|" + broken + "|" + m_dir.filePath(QStringLiteral("gone.png")) + "||" + blue + "|",
                              2};

    const auto first = TaskItemBuilder::Build(record, Number(ToolId::Painting), m_cache);
    EXPECT_TRUE(first->FileLine.isEmpty());
    EXPECT_TRUE(first->TextLine.isEmpty());
    ASSERT_EQ(first->Thumbnails.size(), 2);
    EXPECT_EQ(first->Thumbnails[0]->Image().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(first->Thumbnails[1]->Image().pixelColor(0, 0), QColor(Qt::blue));

    const auto second = TaskItemBuilder::Build(record, Number(ToolId::Painting), m_cache);
    EXPECT_EQ(second->Thumbnails, first->Thumbnails) << "the cache hands out the same buffers";
    EXPECT_EQ(m_cache.Count(), 2);
}

} // namespace
