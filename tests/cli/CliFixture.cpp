#include "CliFixture.h"

#include "subtitles/AudioTranscode.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>

#include <httplib.h>

#include <memory>
#include <vector>

void CommandLine::SetUp()
{
    m_port = m_emulator.Start();
    WriteSettings(QString::fromStdString(EmulatorOptions{}.clientSecret));
}

void CommandLine::WriteSettings(const QString& secret)
{
    TestEnvironment::WriteSettings(m_folders.App(),
                                   ServiceSettings(QStringLiteral("http://127.0.0.1:%1").arg(m_port), {}, secret));
}

QString ServiceSettings(const QString& base, const EmulatorOptions& options, const QString& secret)
{
    const QString keys =
        QStringLiteral("APIKey=%1\nSecretKey=%2\n").arg(QString::fromStdString(options.clientId), secret);
    return QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n[Copywriting]\nURL=%1/chat/v1/completions\n%2"
                          "[Txt2Audio]\nURL=%1\nURLS=%1/text2audio\nCuid=cli-test\n%2[Txt2Img]\nURL=%1\n%2"
                          "[Audio2Txt]\nURL=%1\n%2[FileTranscription]\nURL=%1/api\n"
                          "[ObjectStore]\nEndpoint=%1\nAccessKeyId=%3\nSecretAccessKey=%4\nBucket=%5\n")
        .arg(base, keys, QString::fromStdString(options.storeAccessKey), QString::fromStdString(options.storeSecretKey),
             QString::fromStdString(options.storeBucket));
}

double Seconds(const QString& path)
{
    return GetAudioDuration(QFile::encodeName(path).constData());
}

QStringList Lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList CommandLine::WithFolders(const QStringList& arguments) const
{
    return QStringList{QStringLiteral("--app-dir"),    m_folders.App(),    QStringLiteral("--work-dir"),
                       m_folders.Work(),               QStringLiteral("--config-dir"), m_folders.Config()} +
           arguments;
}

QStringList CommandLine::Environment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The folder options must win over the variables.
    environment.insert(QStringLiteral("QOV_APP_DIR"), QStringLiteral("/nonexistent/overridden"));
    environment.remove(QStringLiteral("QOV_DEBUG_OUTPUT"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return environment.toStringList();
}

Outcome CommandLine::Run(const QStringList& arguments, const QStringList& extra)
{
    QProcess process;
    process.setEnvironment(Environment() + extra);
    process.start(QStringLiteral(QOVAIGC_BIN), WithFolders(arguments));
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

QStringList CommandLine::RunTogether(const QStringList& arguments, int count)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < count; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setEnvironment(Environment());
        process->start(QStringLiteral(QOVAIGC_BIN), WithFolders(arguments));
        processes.push_back(std::move(process));
    }
    QStringList printed;
    for (const auto& process : processes) {
        EXPECT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        printed << QString::fromUtf8(process->readAllStandardOutput()).trimmed();
    }
    return printed;
}

QStringList CommandLine::LoggedFiles(const QString& tool)
{
    const Outcome listed = Run({QStringLiteral("history"), tool});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    QStringList logged;
    for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        logged << line.section(QLatin1Char('\t'), 2).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    logged.sort();
    return logged;
}

void CommandLine::SetFault(const std::string& endpoint, const std::string& json)
{
    httplib::Client control("127.0.0.1", m_port);
    const auto reply = control.Post(("/__control/faults/" + endpoint).c_str(), json, "application/json");
    ASSERT_TRUE(reply && reply->status == 200);
}

QJsonObject JsonOf(const Outcome& outcome)
{
    if (!outcome.out.endsWith(QLatin1Char('\n')) || outcome.out.count(QLatin1Char('\n')) != 1)
        return QJsonObject();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}
