#include "host/CQOVResClientHttpClient.h"

#include "host/AddressSlot.h"
#include "host/CertificateCheck.h"
#include "host/QOVSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cpprest/filestream.h>
#include <cpprest/http_client.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

CQOVResClientHttpClient::CQOVResClientHttpClient(const QString& userAgent)
    : m_userAgent(userAgent)
{
}

int CQOVResClientHttpClient::DownLoad_New(const QString& url, const QString& localFile, const QString&, void*, int,
                                          int)
{
    Begin();
    if (url.isEmpty() || localFile.isEmpty()) {
        m_lastError = QStringLiteral("download address or target file is empty");
        return 0;
    }
    const QFileInfo target(localFile);
    const QString temporary = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                              QStringLiteral(".") + QUuid::createUuid().toString(QUuid::Id128) +
                              QStringLiteral(".part");
    try {
        const web::uri address(url.toStdString());
        web::http::client::http_client_config config;
        config.set_timeout(m_timeout);
        CertificateCheck::Configure(config, address.host());
        web::http::client::http_client client(address, config);
        web::http::http_request request(web::http::methods::GET);
        if (!m_userAgent.isEmpty())
            request.headers().add(web::http::header_names::user_agent, m_userAgent.toStdString());
        const AddressSlot place(address.authority().to_string(), m_cancel);
        web::http::http_response response = client.request(request, m_cancel).get();
        m_lastStatus = response.status_code();
        if (response.status_code() != web::http::status_codes::OK) {
            m_lastError = QStringLiteral("download of %1 answered with status %2").arg(url).arg(response.status_code());
            return 0;
        }
        auto stream = concurrency::streams::fstream::open_ostream(temporary.toStdString()).get();
        try {
            response.body().read_to_end(stream.streambuf()).get();
            stream.close().get();
        } catch (...) {
            stream.close().wait();
            throw;
        }
        const qint64 expected = response.headers().content_length();
        if (expected > 0 && QFileInfo(temporary).size() != expected) {
            QFile::remove(temporary);
            m_lastError = QStringLiteral("download of %1 ended early").arg(url);
            return 0;
        }
    } catch (const std::exception& e) {
        QFile::remove(temporary);
        m_lastException = std::current_exception();
        const std::optional<std::string> secure = CertificateCheck::SecureConnectionFailure(e);
        m_lastError = QString::fromStdString(secure ? *secure : std::string(e.what()));
        QOVDebugOutput(QStringLiteral("DownLoad_New %1: %2").arg(url, m_lastError));
        return 0;
    }
    // rename() replaces an existing target atomically; QFile::rename would refuse.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(localFile).constData()) != 0) {
        QFile::remove(temporary);
        m_lastError = QStringLiteral("cannot write %1").arg(localFile);
        return 0;
    }
    return 1;
}
