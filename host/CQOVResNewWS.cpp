#include "host/CQOVResNewWS.h"

#include "host/AddressSlot.h"
#include "host/CertificateCheck.h"
#include "host/FileReadStreamBuffer.h"
#include "host/ObsAddress.h"
#include "host/ObsRequestSigner.h"
#include "host/QOVDigest.h"
#include "host/QOVSystem.h"
#include "host/RequestCancel.h"

#include <QDateTime>

#include <cpprest/http_client.h>

#include <exception>
#include <optional>
#include <string>

namespace {

const QByteArray kBodyType = QByteArrayLiteral("application/octet-stream");
// The piece of the body read and sent at a time: large enough that a fast link is not held back by
// per-piece work, and the one buffer the upload adds to the process's memory.
constexpr size_t kUploadChunk = 1 << 20;
// What an error reply may add to the trace.
constexpr int kErrorBodyShown = 300;

struct SignedRequest
{
    ObsAddress address;
    QByteArray date;
    QByteArray authorization;
};

bool Prepare(const SHuaweiObsPolicy& policy, const QByteArray& verb, const QByteArray& contentMd5,
             const QByteArray& contentType, SignedRequest& request, QString& error)
{
    if (policy.accessKeyId.isEmpty() || policy.secretAccessKey.isEmpty()) {
        error = QStringLiteral("the object store's access key is not configured");
        return false;
    }
    if (!ObsAddress::Resolve(policy.endpoint, policy.bucketName, policy.objectKey, request.address, error))
        return false;
    request.date = ObsRequestSigner::HttpDate(QDateTime::currentDateTimeUtc());
    const QByteArray toSign = ObsRequestSigner::StringToSign(verb, contentMd5, contentType, request.date, {},
                                                             request.address.canonicalResource);
    const QByteArray signature = ObsRequestSigner::Signature(policy.secretAccessKey.toUtf8(), toSign);
    if (signature.isEmpty()) {
        error = QStringLiteral("the request could not be signed");
        return false;
    }
    request.authorization = ObsRequestSigner::Authorization(policy.accessKeyId.toUtf8(), signature);
    return true;
}

web::http::client::http_client MakeClient(const SignedRequest& request, std::chrono::milliseconds timeout)
{
    const web::uri address(request.address.baseUrl.toStdString());
    web::http::client::http_client_config config;
    config.set_timeout(timeout);
    config.set_chunksize(kUploadChunk);
    CertificateCheck::Configure(config, address.host());
    return web::http::client::http_client(address, config);
}

// A refused certificate in the words a user is shown; the library's own otherwise.
QString Why(const std::exception& error)
{
    const std::optional<std::string> secure = CertificateCheck::SecureConnectionFailure(error);
    return QString::fromStdString(secure ? *secure : std::string(error.what()));
}

web::http::http_request MakeRequest(const web::http::method& verb, const SignedRequest& signedRequest)
{
    web::http::http_request request(verb);
    request.set_request_uri(web::uri(signedRequest.address.requestPath.toStdString()));
    request.headers().add("Date", signedRequest.date.toStdString());
    request.headers().add("Authorization", signedRequest.authorization.toStdString());
    return request;
}

// Only the start of an error page is read, however long the store makes it.
QString Refusal(QLatin1String operation, web::http::http_response& response)
{
    std::string detail(kErrorBodyShown, '\0');
    try {
        concurrency::streams::streambuf<uint8_t> body = response.body().streambuf();
        size_t read = 0;
        while (read < detail.size()) {
            const size_t got = body.getn(reinterpret_cast<uint8_t*>(detail.data()) + read, detail.size() - read).get();
            if (got == 0)
                break;
            read += got;
        }
        detail.resize(read);
    } catch (const std::exception&) {
        detail.clear(); // the status alone says enough
    }
    return QStringLiteral("%1 answered with status %2 %3").arg(operation).arg(response.status_code())
        .arg(QString::fromUtf8(detail.data(), int(detail.size())));
}

} // namespace

bool CQOVResNewWS::Fail(const QString& error)
{
    m_lastError = error;
    QOVDebugOutput(QStringLiteral("object store: ") + error);
    return false;
}

int CQOVResNewWS::huaweiObsUploadFile(const SHuaweiObsPolicy& policy)
{
    Begin();
    QByteArray digest;
    qint64 size = 0;
    if (policy.localFilePath.isEmpty() || !MD5OfFile(policy.localFilePath, digest, size))
        return Fail(QStringLiteral("cannot read %1").arg(policy.localFilePath));
    return Send(policy, web::http::methods::PUT, digest.toBase64(), size);
}

int CQOVResNewWS::huaweiObsDeleteFile(const SHuaweiObsPolicy& policy)
{
    Begin();
    return Send(policy, web::http::methods::DEL, {}, 0);
}

int CQOVResNewWS::Send(const SHuaweiObsPolicy& policy, const std::string& verb, const QByteArray& contentMd5,
                       qint64 size)
{
    const bool upload = verb == web::http::methods::PUT;
    const QLatin1String operation(upload ? "upload" : "delete");
    SignedRequest signedRequest;
    QString error;
    if (!Prepare(policy, QByteArray::fromStdString(verb), contentMd5, upload ? kBodyType : QByteArray(), signedRequest,
                 error))
        return Fail(error);
    try {
        web::http::client::http_client client = MakeClient(signedRequest, m_timeout);
        web::http::http_request request = MakeRequest(verb, signedRequest);
        concurrency::streams::istream body;
        if (upload) {
            request.headers().add("Content-MD5", contentMd5.toStdString());
            uint64_t opened = 0;
            body = FileReadStreamBuffer::Open(policy.localFilePath, opened);
            // A file that changed since its digest was taken would only be refused by the store.
            if (!body.is_valid() || opened != uint64_t(size))
                return Fail(
                    QStringLiteral("%1 changed or vanished while it was being uploaded").arg(policy.localFilePath));
            request.set_body(body, utility::size64_t(size), kBodyType.toStdString());
        }
        web::http::http_response response;
        const AddressSlot place(client.base_uri().authority().to_string(), m_cancel);
        RequestCancel cancel(m_cancel);
        try {
            response = client.request(request, cancel.Token()).get();
        } catch (...) {
            body.close().wait();
            throw;
        }
        body.close().wait();
        cancel.Watch(response);
        m_lastStatus = response.status_code();
        if (m_lastStatus < 200 || m_lastStatus > 299)
            return Fail(Refusal(operation, response));
    } catch (const std::exception& e) {
        m_lastException = std::current_exception();
        const QString& subject = upload ? policy.localFilePath : policy.objectKey;
        return Fail(QStringLiteral("%1 of %2: %3").arg(operation, subject, Why(e)));
    }
    return 1;
}
