#include "apps/studio/SubtitleSentences.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString Write(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("clip_0_25.srt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

TEST(SubtitleSentences, EachBlockGivesItsTimesAndItsTextLines)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray bytes;
        QList<QStringList> expected; // begin, end, text
    } cases[] = {
        {"two blocks, Windows line ends",
         "1\r\n00:00:00,500 --> 00:00:01,800\r\n第1句（1.3秒）\r\n\r\n2\r\n00:00:02,300 --> 00:00:03,000\r\nhello world\r\n\r\n",
         {{"00:00:00,500", "00:00:01,800", "第1句（1.3秒）"}, {"00:00:02,300", "00:00:03,000", "hello world"}}},
        {"byte-order mark, two text lines, no final blank line",
         "\xEF\xBB\xBF" "1\n00:00:01,000 --> 00:00:02,000\nfirst line\nsecond line",
         {{"00:00:01,000", "00:00:02,000", "first line\nsecond line"}}},
        {"a block without a time line is left out", "1\nno time here\n\n2\n00:00:05,000 --> 00:00:06,000\n\n",
         {{"00:00:05,000", "00:00:06,000", ""}}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<SubtitleSentence> sentences = ReadSubtitleSentences(Write(dir, c.bytes));
        ASSERT_EQ(sentences.size(), c.expected.size());
        for (qsizetype i = 0; i < sentences.size(); ++i) {
            EXPECT_EQ(sentences[i].begin, c.expected[i][0]);
            EXPECT_EQ(sentences[i].end, c.expected[i][1]);
            EXPECT_EQ(sentences[i].text, c.expected[i][2]);
        }
    }
    EXPECT_TRUE(ReadSubtitleSentences(dir.filePath(QStringLiteral("missing.srt"))).isEmpty());
}

} // namespace
