#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

TestEnvironment& TestEnvironment::Get()
{
    static TestEnvironment environment;
    return environment;
}

TestEnvironment::TestEnvironment()
{
    qputenv("QOV_CONFIG_DIR", m_folders.Config().toUtf8());
    qputenv("QOV_WORK_DIR", WorkDir().toUtf8());
    const QString server = QString::fromStdString(m_server.Url(""));
    WriteSettings(AppDir(), QStringLiteral("[Token]\nURL=%1%2\n\n[Copywriting]\nURL=%1%3\nAPIKey=test-key\n"
                                           "SecretKey=test-secret\nFontSize=12\n\n"
                                           "[Txt2Img]\nURL=%1\nAPIKey=test-key\nSecretKey=test-secret\n\n"
                                           "[Txt2Audio]\nURL=%1\nURLS=%1%4\nAPIKey=test-key\nSecretKey=test-secret\n"
                                           "Cuid=test-cuid\n\n"
                                           "[FileTranscription]\nURL=%1%5\n\n"
                                           "[Audio2Txt]\nURL=%1\nAPIKey=test-key\nSecretKey=test-secret\n\n"
                                           "[ObjectStore]\nEndpoint=127.0.0.1:%6\nAccessKeyId=test-store-ak\n"
                                           "SecretAccessKey=test-store-sk\nBucket=%7\n")
                                .arg(server, QLatin1String(kTokenPath), QLatin1String(kChatPath),
                                     QLatin1String(kShortSpeechPath), QLatin1String(kTranscriptionBase),
                                     QString::number(m_server.Port()), QLatin1String(kStoreBucket)));
}

void TestEnvironment::GrantTokens(const std::string& token)
{
    m_server.Reply("POST", kTokenPath, 200,
                   "{\"access_token\":\"" + token + "\",\"expires_in\":2592000,\"scope\":\"public\"}");
}

void TestEnvironment::WriteSettings(const QString& appDir, const QString& text)
{
    QDir(appDir).mkpath(QStringLiteral("InitFile"));
    QFile file(appDir + QStringLiteral("/InitFile/AIGC.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the settings file");
    file.write(text.toUtf8());
    qputenv("QOV_APP_DIR", appDir.toUtf8());
}

ScratchFolders::ScratchFolders()
{
    if (!m_root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    for (const char* sub : {"app", "config", "work"})
        QDir(m_root.path()).mkpath(QLatin1String(sub));
}
