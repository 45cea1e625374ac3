#include "StoreRequests.h"

#include "EmulatorFixture.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

namespace store_test {

Request Put(const std::string &key, const std::string &body, const std::string &contentType)
{
    Request request;
    request.method = "PUT";
    request.key = key;
    request.body = body;
    request.contentType = contentType;
    return request;
}

Request Bodiless(const std::string &method, const std::string &key)
{
    Request request;
    request.method = method;
    request.key = key;
    return request;
}

std::string PathOf(const std::string &key)
{
    return std::string("/") + kBucket + "/" + emulator_test::PercentEncode(key, "-._~/");
}

std::string Md5Base64(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toBase64().toStdString();
}

std::string Sign(const std::string &secret, const std::string &stringToSign)
{
    return QMessageAuthenticationCode::hash(QByteArray::fromStdString(stringToSign), QByteArray::fromStdString(secret),
                                            QCryptographicHash::Sha1)
        .toBase64()
        .toStdString();
}

namespace {

std::string PathFor(const Request &request) { return request.path.empty() ? PathOf(request.key) : request.path; }

}  // namespace

httplib::Headers SignedHeaders(const Request &request)
{
    const std::string md5 = request.method == "PUT" && request.withMd5 ? Md5Base64(request.body) : "";
    const std::string stringToSign =
        request.method + "\n" + md5 + "\n" + request.contentType + "\n" + kDate + "\n" + PathFor(request);
    httplib::Headers headers = {
        {"Date", kDate},
        {"Authorization", "OBS " + request.accessKey + ":" + Sign(request.secret, stringToSign)},
    };
    if (!md5.empty())
        headers.emplace("Content-MD5", md5);
    return headers;
}

httplib::Client Client(int port)
{
    httplib::Client client("127.0.0.1", port);
    client.set_url_encode(false);
    client.set_read_timeout(10, 0);
    return client;
}

httplib::Result Send(int port, const Request &request)
{
    auto client = Client(port);
    const auto headers = SignedHeaders(request);
    const std::string path = PathFor(request);
    if (request.method == "PUT")
        return client.Put(path, headers, request.body, request.contentType.c_str());
    if (request.method == "HEAD")
        return client.Head(path, headers);
    if (request.method == "DELETE")
        return client.Delete(path, headers);
    return client.Get(path, headers);
}

}  // namespace store_test
