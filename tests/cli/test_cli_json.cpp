// A run that fails exits with 1 and says why in the words the window would show: on standard
// error alone, or also in the --json object, which then names no result.
#include "CliFixture.h"

#include <QDirIterator>

#include <gtest/gtest.h>

namespace {

// The reply and the message printed of a run that failed, or a failed test's trace.
QString Failure(const Outcome& plain, const Outcome& json)
{
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_TRUE(plain.out.isEmpty()) << plain.out.toStdString();
    EXPECT_EQ(json.exitCode, 1);
    const QJsonObject object = JsonOf(json);
    EXPECT_FALSE(object.value("ok").toBool(true)) << json.out.toStdString();
    EXPECT_FALSE(object.contains("path") || object.contains("paths")) << "a failure names no result";
    const QString message = plain.err.trimmed();
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(object.value("error").toString(), message);
    EXPECT_EQ(json.err.trimmed(), message);
    return message;
}

TEST_F(CommandLine, FailuresExitWithOneAndTheMessageTheWindowWouldShow)
{
    const struct
    {
        const char* endpoint; // the fault each run meets there, if any
        const char* fault;
        QStringList arguments;
        const char* message; // its start
    } cases[] = {
        {"chat", R"({"status":502,"times":1})", {"write", "话题"}, "文案服务请求失败，HTTP状态码：502"},
        {"chat", R"({"malformed":true,"times":1})", {"write", "话题"}, "文案服务的回复格式有误："},
        {"chat", R"({"wrong_types":true,"times":1})", {"write", "话题"}, "文案服务的回复格式有误："},
        {"chat", R"({"close":true,"times":1})", {"write", "话题"}, ""},
        {"image-query",
         R"({"wrong_types":true,"times":1})",
         {"paint", "湖", "--size", "512x512", "--count", "1"},
         "图片生成服务的回复格式有误："},
        {nullptr, nullptr, {"paint", "湖", "--size", "100x100"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + (c.fault ? c.fault : ""));
        const auto run = [&](const QStringList& extra) {
            if (c.endpoint)
                SetFault(c.endpoint, c.fault);
            return Run(c.arguments + extra);
        };
        const Outcome plain = run({});
        const QString message = Failure(plain, run({"--json"}));
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.message))) << message.toStdString();
    }
    QDirIterator files(m_folders.Work(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    EXPECT_FALSE(files.hasNext()) << "no failure leaves a file: " << files.next().toStdString();
}

TEST_F(CommandLine, AWrongSecretGetsNoToken)
{
    WriteSettings("wrong-secret");
    for (const QStringList& arguments : QList<QStringList>{{"write", "话题"}, {"dub", "你好"}, {"paint", "湖"}}) {
        SCOPED_TRACE(arguments.front().toStdString());
        EXPECT_EQ(Failure(Run(arguments), Run(arguments + QStringList{"--json"})),
                  "Token获取失败，请检查配置文件，错误代码：401");
    }
}

// A refusal in the service's own words says which service refused what; the words keep a member of
// their own.
TEST_F(CommandLine, AServiceRefusalNamesTheServiceAndKeepsItsWords)
{
    const QStringList arguments{"paint", QString(5000, QChar(0x6E56))};
    const Outcome json = Run(arguments + QStringList{"--json"});
    EXPECT_EQ(Failure(Run(arguments), json), "the painting service refused the description: invalid param");
    EXPECT_EQ(JsonOf(json).value("service_error").toString(), "invalid param");
}

} // namespace
