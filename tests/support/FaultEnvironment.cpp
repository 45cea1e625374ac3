#include "support/FaultEnvironment.h"

#include "support/TestCertificates.h"

#include <stdexcept>

namespace {

const char* const kTokenReply = R"({"access_token":"fault-token","expires_in":2592000})";

const TlsIdentity* IdentityFor(FaultEnvironment::Transport transport)
{
    return transport == FaultEnvironment::Transport::Https ? &TestCertificates::Get().Trusted() : nullptr;
}

} // namespace

FaultEnvironment& FaultEnvironment::Get(Transport transport)
{
    static FaultEnvironment environment(transport);
    if (environment.m_transport != transport)
        throw std::logic_error("settings are read once per process: its fault environment has one transport");
    return environment;
}

FaultEnvironment::FaultEnvironment(Transport transport)
    : m_transport(transport)
    , m_tokens(IdentityFor(transport))
    , m_services(IdentityFor(transport))
    , m_files(IdentityFor(transport))
    , m_store(IdentityFor(transport))
{
    qputenv("QOV_CONFIG_DIR", m_folders.Config().toUtf8());
    qputenv("QOV_WORK_DIR", WorkDir().toUtf8());
    const QString tokens = QString::fromStdString(m_tokens.Url(kTokenPath));
    const QString services = QString::fromStdString(m_services.Url(""));
    const QString network = transport == Transport::Https
                                ? QStringLiteral("\n[Network]\nCaFile=%1\n")
                                      .arg(QString::fromStdString(TestCertificates::Get().CaFile()))
                                : QString();
    TestEnvironment::WriteSettings(
        m_folders.App(),
        QStringLiteral("[Token]\nURL=%1\n\n[Copywriting]\nURL=%2%3\nAPIKey=key\nSecretKey=secret\n\n"
                       "[Txt2Img]\nURL=%2\nAPIKey=key\nSecretKey=secret\n\n"
                       "[Txt2Audio]\nURL=%2\nURLS=%2%4\nAPIKey=key\nSecretKey=secret\nCuid=cuid\n\n"
                       "[Audio2Txt]\nURL=%2\nAPIKey=key\nSecretKey=secret\n\n"
                       "[ObjectStore]\nEndpoint=%5\nAccessKeyId=fault-ak\nSecretAccessKey=fault-sk\nBucket=%6\n\n"
                       "[FileTranscription]\nURL=%2%7\n%8")
            .arg(tokens, services, QLatin1String(kChatPath), QLatin1String(kShortSpeechPath), StoreEndpoint(),
                 QLatin1String(kStoreBucket), QLatin1String(kTranscriptionBase), network));
}

QString FaultEnvironment::StoreEndpoint() const
{
    // A local store is plain HTTP unless its endpoint says otherwise.
    const QString scheme = m_transport == Transport::Https ? QStringLiteral("https://") : QString();
    return scheme + QStringLiteral("127.0.0.1:%1").arg(m_store.Port());
}

void FaultEnvironment::ServeToken(Fault fault)
{
    m_tokens.Serve("POST", kTokenPath, fault, kTokenReply, R"({"access_token":["fault-token"]})");
}

void FaultEnvironment::Reset()
{
    for (FaultyServer* server : {&m_tokens, &m_services, &m_files, &m_store})
        server->Reset();
    m_tokens.Server().Reply("POST", kTokenPath, 200, kTokenReply);
    m_store.Server().OnPrefix("PUT", kStorePrefix, [](const httplib::Request&, httplib::Response& response) {
        response.status = 200;
        response.set_header("ETag", "\"fault\"");
    });
    m_store.Server().OnPrefix("DELETE", kStorePrefix, [](const httplib::Request&, httplib::Response& response) {
        response.status = 204;
    });
}
