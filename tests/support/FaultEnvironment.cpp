#include "support/FaultEnvironment.h"

#include "support/TestEnvironment.h"

#include <QDir>

#include <stdexcept>

FaultEnvironment& FaultEnvironment::Get()
{
    static FaultEnvironment environment;
    return environment;
}

FaultEnvironment::FaultEnvironment()
{
    if (!m_root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    for (const char* sub : {"app", "config", "work"})
        QDir(m_root.path()).mkpath(QLatin1String(sub));
    qputenv("QOV_CONFIG_DIR", m_root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("QOV_WORK_DIR", WorkDir().toUtf8());
    const QString tokens = QString::fromStdString(m_tokens.Url(kTokenPath));
    const QString services = QString::fromStdString(m_services.Url(""));
    TestEnvironment::WriteSettings(
        m_root.filePath(QStringLiteral("app")),
        QStringLiteral("[Token]\nURL=%1\n\n[Copywriting]\nURL=%2%3\nAPIKey=key\nSecretKey=secret\n\n"
                       "[Txt2Img]\nURL=%2\nAPIKey=key\nSecretKey=secret\n\n"
                       "[Txt2Audio]\nURL=%2\nURLS=%2%4\nAPIKey=key\nSecretKey=secret\nCuid=cuid\n")
            .arg(tokens, services, QLatin1String(kChatPath), QLatin1String(kShortSpeechPath)));
}

QString FaultEnvironment::WorkDir() const
{
    return m_root.filePath(QStringLiteral("work"));
}

std::string FaultEnvironment::TokenReply()
{
    return R"({"access_token":"fault-token","expires_in":2592000})";
}

void FaultEnvironment::Reset()
{
    for (FaultyServer* server : {&m_tokens, &m_services, &m_files})
        server->Reset();
    m_tokens.Server().Reply("POST", kTokenPath, 200, TokenReply());
}
