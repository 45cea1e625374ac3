#include "CliFixture.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <httplib.h>

void CommandLine::SetUp()
{
    m_port = m_emulator.Start();
    WriteSettings("qov-local-secret");
}

void CommandLine::WriteSettings(const char* secret)
{
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_port);
    TestEnvironment::WriteSettings(
        m_folders.App(),
        QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n"
                       "[Copywriting]\nURL=%1/chat/v1/completions\nAPIKey=qov-local-key\nSecretKey=%2\n"
                       "[Txt2Img]\nURL=%1\nAPIKey=qov-local-key\nSecretKey=%2\n"
                       "[Txt2Audio]\nURL=%1\nURLS=%1/text2audio\nAPIKey=qov-local-key\nSecretKey=%2\nCuid=cli-test\n")
            .arg(base, QString::fromLatin1(secret)));
}

Outcome CommandLine::Run(const QStringList& arguments)
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
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

void CommandLine::SetFault(const std::string& endpoint, const std::string& json)
{
    httplib::Client control("127.0.0.1", m_port);
    const auto reply = control.Post(("/__control/faults/" + endpoint).c_str(), json, "application/json");
    ASSERT_TRUE(reply && reply->status == 200);
}
