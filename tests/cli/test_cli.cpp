#include "CliFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST_F(CommandLine, WriteSavesGeneratedTextAndHistoryListsIt)
{
    const QString topic = QStringLiteral("为新品发布会写一段开场白");
    const Outcome written = Run({QStringLiteral("write"), topic});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_TRUE(written.err.isEmpty());
    const QString path = written.out.trimmed();
    EXPECT_EQ(written.out, path + QLatin1Char('\n')) << "standard output holds the path alone";
    EXPECT_TRUE(path.startsWith(m_folders.Work() + QStringLiteral("/Copywriting/"))) << path.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_GT(text.size(), 20);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")))) << "a Chinese topic gets Chinese text";

    const Outcome listed = Run({QStringLiteral("history"), QStringLiteral("copywriting")});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QStringList fields = listed.out.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 3) << listed.out.toStdString();
    EXPECT_EQ(fields[0].size(), 36);
    EXPECT_EQ(fields[1], topic);
    EXPECT_EQ(fields[2], path);

    const Outcome past = Run({QStringLiteral("history"), QStringLiteral("copywriting"), QStringLiteral("--from"),
                              QStringLiteral("2001-01-01"), QStringLiteral("--to"), QStringLiteral("2001-01-31")});
    EXPECT_EQ(past.exitCode, 0);
    EXPECT_TRUE(past.out.isEmpty()) << "a range before the run lists nothing";
    const Outcome otherTool = Run({QStringLiteral("history"), QStringLiteral("painting")});
    EXPECT_EQ(otherTool.exitCode, 0);
    EXPECT_TRUE(otherTool.out.isEmpty());
}

TEST_F(CommandLine, FailuresExitWithOneAndTheMessageTheWindowWouldShow)
{
    struct Case
    {
        const char* fault;
        const char* message; // start of the expected message
    };
    const Case cases[] = {
        {R"({"status":502,"times":1})", "文案服务请求失败，HTTP状态码：502"},
        {R"({"malformed":true,"times":1})", "文案服务的回复格式有误："},
        {R"({"wrong_types":true,"times":1})", "文案服务的回复格式有误："},
        {R"({"close":true,"times":1})", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SetFault("chat", c.fault);
        const Outcome outcome = Run({QStringLiteral("write"), QStringLiteral("话题")});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_FALSE(outcome.err.trimmed().isEmpty());
        EXPECT_TRUE(outcome.err.startsWith(QString::fromUtf8(c.message))) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.isEmpty());
    }
    EXPECT_TRUE(QDir(m_folders.Work() + QStringLiteral("/Copywriting")).entryList(QDir::Files).isEmpty())
        << "no failure leaves a file";
}

} // namespace
