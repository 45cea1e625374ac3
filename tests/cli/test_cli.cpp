#include "EmulatorServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <httplib.h>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The command line against the local services, with its own folders and settings.
class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_port = m_emulator.Start();
        WriteSettings("qov-local-secret");
    }

    void WriteSettings(const char* secret)
    {
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_port);
        TestEnvironment::WriteSettings(
            m_folders.App(), QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n[Copywriting]\nURL=%1/chat/v1/completions\n"
                                            "APIKey=qov-local-key\nSecretKey=%2\n")
                                 .arg(base, QString::fromLatin1(secret)));
    }

    Outcome Run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QOV_APP_DIR"), QStringLiteral("/nonexistent/overridden"));
        environment.remove(QStringLiteral("QOV_DEBUG_OUTPUT"));
        process.setProcessEnvironment(environment);
        QStringList all{QStringLiteral("--app-dir"), m_folders.App(), QStringLiteral("--work-dir"), m_folders.Work(),
                        QStringLiteral("--config-dir"), m_folders.Config()};
        all << arguments;
        process.start(QStringLiteral(QOVAIGC_BIN), all);
        Outcome outcome;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return outcome;
        }
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }

    void SetFault(const std::string& endpoint, const std::string& json)
    {
        httplib::Client control("127.0.0.1", m_port);
        const auto reply = control.Post(("/__control/faults/" + endpoint).c_str(), json, "application/json");
        ASSERT_TRUE(reply && reply->status == 200);
    }

    EmulatorServer m_emulator{EmulatorOptions{}};
    int m_port = 0;
    ScratchFolders m_folders;
};

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

TEST_F(CommandLine, UsageErrorsExitWithTwo)
{
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("paintx")},
        {QStringLiteral("write")},
        {QStringLiteral("write"), QStringLiteral("  ")},
        {QStringLiteral("write"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("history"), QStringLiteral("nosuchtool")},
        {QStringLiteral("history"), QStringLiteral("dubbing"), QStringLiteral("--from"), QStringLiteral("2024/01/01")},
        {QStringLiteral("history"), QStringLiteral("dubbing"), QStringLiteral("--since"), QStringLiteral("x")},
        {QStringLiteral("history"), QStringLiteral("dubbing"), QStringLiteral("--to")},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_TRUE(outcome.out.isEmpty());
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("usage:")));
    }
}

TEST_F(CommandLine, FailuresExitWithOneAndTheMessageTheWindowWouldShow)
{
    WriteSettings("wrong-secret");
    Outcome outcome = Run({QStringLiteral("write"), QStringLiteral("话题")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err.trimmed(), QStringLiteral("Token获取失败，请检查配置文件，错误代码：401"));
    EXPECT_TRUE(outcome.out.isEmpty());

    WriteSettings("qov-local-secret");
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
        outcome = Run({QStringLiteral("write"), QStringLiteral("话题")});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_FALSE(outcome.err.trimmed().isEmpty());
        EXPECT_TRUE(outcome.err.startsWith(QString::fromUtf8(c.message))) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.isEmpty());
    }
    EXPECT_TRUE(QDir(m_folders.Work() + QStringLiteral("/Copywriting")).entryList(QDir::Files).isEmpty())
        << "no failure leaves a file";
}

} // namespace
