#include "CliFixture.h"

#include <QFileInfo>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

QStringList Paths(const QJsonObject& object)
{
    QStringList paths;
    if (object.value(QStringLiteral("path")).isString())
        paths << object.value(QStringLiteral("path")).toString();
    for (const QJsonValue& path : object.value(QStringLiteral("paths")).toArray())
        paths << path.toString();
    return paths;
}

TEST_F(CommandLine, JsonGivesOneObjectWithTheResultsPathsAndTheHistoryListsThem)
{
    struct Case
    {
        QStringList arguments;
        const char* tool;
        int files;
        QStringList fields;
    };
    const Case cases[] = {
        {{"write", "为新品发布会写一段开场白"}, "copywriting", 1, {"topic", "text"}},
        {{"dub", "欢迎使用智能配音", "--format", "wav"}, "dubbing", 1, {"format", "mode", "speed"}},
        {{"paint", "雪山下的湖泊", "--size", "512x512", "--count", "2"}, "painting", 2, {"task_id", "width", "count"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = Run(c.arguments + QStringList{QStringLiteral("--json")});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        const QJsonObject object = JsonOf(outcome);
        ASSERT_FALSE(object.isEmpty()) << "one JSON object alone on standard output: " << outcome.out.toStdString();
        EXPECT_TRUE(object.value(QStringLiteral("ok")).toBool());
        EXPECT_EQ(object.value(QStringLiteral("command")).toString(), c.arguments.front());
        for (const QString& field : c.fields)
            EXPECT_TRUE(object.contains(field)) << field.toStdString();
        const QStringList paths = Paths(object);
        EXPECT_EQ(paths.size(), c.files);
        for (const QString& path : paths)
            EXPECT_TRUE(QFileInfo(path).isFile() && QFileInfo(path).size() > 0) << path.toStdString();

        const Outcome listed = Run({QStringLiteral("history"), QString::fromLatin1(c.tool), QStringLiteral("--json")});
        ASSERT_EQ(listed.exitCode, 0);
        const QJsonObject history = JsonOf(listed);
        EXPECT_EQ(history.value(QStringLiteral("tool")).toString(), QString::fromLatin1(c.tool));
        const QJsonArray records = history.value(QStringLiteral("records")).toArray();
        ASSERT_EQ(records.size(), 1) << listed.out.toStdString();
        const QJsonObject record = records.first().toObject();
        EXPECT_EQ(record.value(QStringLiteral("source")).toString(), c.arguments[1]);
        QStringList files;
        for (const QJsonValue& file : record.value(QStringLiteral("files")).toArray())
            files << file.toString();
        EXPECT_EQ(files, paths);
        EXPECT_FALSE(record.value(QStringLiteral("task_id")).toString().isEmpty());
    }
}

TEST_F(CommandLine, JsonFailuresSayWhyInTheObjectAndOnStandardError)
{
    WriteSettings("wrong-secret");
    const QString token = QStringLiteral("Token获取失败，请检查配置文件，错误代码：401");
    const QList<QStringList> cases = {{"write", "话题", "--json"}, {"dub", "你好", "--json"}, {"paint", "湖", "--json"}};
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.front().toStdString());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 1);
        const QJsonObject object = JsonOf(outcome);
        EXPECT_FALSE(object.value(QStringLiteral("ok")).toBool(true)) << outcome.out.toStdString();
        EXPECT_EQ(object.value(QStringLiteral("error")).toString(), token);
        EXPECT_TRUE(Paths(object).isEmpty()) << "a failure names no result";
        EXPECT_EQ(outcome.err.trimmed(), token);
    }
}

// A refusal in the service's own words says which service refused what; the words keep a member of
// their own.
TEST_F(CommandLine, AServiceRefusalNamesTheServiceAndKeepsItsWords)
{
    const Outcome outcome = Run({QStringLiteral("paint"), QString(5000, QChar(0x6E56)), QStringLiteral("--json")});
    EXPECT_EQ(outcome.exitCode, 1);
    const QJsonObject object = JsonOf(outcome);
    const QString sentence = QStringLiteral("the painting service refused the description: invalid param");
    EXPECT_EQ(object.value(QStringLiteral("error")).toString(), sentence);
    EXPECT_EQ(object.value(QStringLiteral("service_error")).toString(), QStringLiteral("invalid param"));
    EXPECT_EQ(outcome.err.trimmed(), sentence);
}

} // namespace
