#include "host/CQOVResNewWS.h"
#include "host/FileReadStreamBuffer.h"
#include "host/ObsAddress.h"
#include "host/ObsRequestSigner.h"
#include "support/FakeServer.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

const char* const kAk = "qov-test-ak";
const char* const kSk = "qov-test-sk";
const char* const kBucket = "qov-bucket";

std::string Header(const RecordedRequest& request, const char* name, const char* none = "<none>")
{
    const auto found = request.headers.find(name);
    return found == request.headers.end() ? std::string(none) : found->second;
}

// What the store expects in Authorization for a request it received: the string to sign is made
// here from what arrived, the signature by the signer whose known answers are checked below.
std::string ExpectedAuthorization(const RecordedRequest& request)
{
    const std::string toSign = request.method + "\n" + Header(request, "Content-MD5", "") + "\n" +
                               Header(request, "Content-Type", "") + "\n" + Header(request, "Date", "") + "\n" +
                               request.target;
    return std::string("OBS ") + kAk + ":" +
           ObsRequestSigner::Signature(kSk, QByteArray::fromStdString(toSign)).toStdString();
}

TEST(ObsSigning, AHandCheckedRequestGivesItsKnownSignature)
{
    // The date is English and GMT whatever zone its moment was taken in, here the next day's.
    const QByteArray date =
        ObsRequestSigner::HttpDate(QDateTime(QDate(2024, 3, 6), QTime(0, 7, 9), QTimeZone(10 * 3600)));
    EXPECT_EQ(date, "Tue, 05 Mar 2024 14:07:09 GMT");
    const QByteArray toSign = ObsRequestSigner::StringToSign(
        "PUT", "XUFAKrxLKna5cZ2REBfFkg==", "application/octet-stream", date, {},
        ObsRequestSigner::CanonicalResource(QStringLiteral("qov-subtitles"), QStringLiteral("中文 a.mp3")));
    EXPECT_EQ(toSign.toStdString(), "PUT\nXUFAKrxLKna5cZ2REBfFkg==\napplication/octet-stream\n"
                                    "Tue, 05 Mar 2024 14:07:09 GMT\n/qov-subtitles/%E4%B8%AD%E6%96%87%20a.mp3");
    const QByteArray signature = ObsRequestSigner::Signature("qov-local-sk", toSign);
    // Worked out with the openssl program: dgst -sha1 -hmac qov-local-sk -binary | base64.
    EXPECT_EQ(signature, "pBVz9eO5Ewr6Iayps6qq8DzpFdM=");
    EXPECT_EQ(ObsRequestSigner::Authorization("AK", signature), "OBS AK:pBVz9eO5Ewr6Iayps6qq8DzpFdM=");
}

TEST(ObsSigning, OnlyStoreHeadersAreSignedLowerCasedAndSorted)
{
    const QList<ObsRequestSigner::Header> headers{
        {"X-Obs-Meta-A", " 1 "}, {"Content-Length", "0"}, {"x-obs-acl", "private"}, {"Host", "b.example.com"}};
    EXPECT_EQ(ObsRequestSigner::CanonicalHeaders(headers), "x-obs-acl:private\nx-obs-meta-a:1\n");
    const QByteArray toSign =
        ObsRequestSigner::StringToSign("DELETE", {}, {}, "Wed, 06 Nov 2019 08:00:00 GMT", headers, "/b/k");
    EXPECT_EQ(ObsRequestSigner::Signature("sk", toSign), "UIBq6P019w2ZtBp4AXvwHypX0ME=");
}

TEST(ObsAddressing, LocalEndpointsArePathStyleHttpOthersVirtualHostedHttps)
{
    const struct
    {
        const char* endpoint;
        const char* base;
        const char* path;
    } cases[] = {
        {"127.0.0.1:9000", "http://127.0.0.1:9000", "/bkt/k%20y.mp3"},
        {"10.1.2.3", "http://10.1.2.3", "/bkt/k%20y.mp3"},
        {"LocalHost:8080", "http://LocalHost:8080", "/bkt/k%20y.mp3"},
        {"[::1]:9000", "http://[::1]:9000", "/bkt/k%20y.mp3"},
        {"http://127.0.0.1:9000/", "http://127.0.0.1:9000", "/bkt/k%20y.mp3"},
        {"HTTPS://127.0.0.1:9443", "https://127.0.0.1:9443", "/bkt/k%20y.mp3"},
        {"obs.region.example.com", "https://bkt.obs.region.example.com", "/k%20y.mp3"},
        {"obs.example.com:8443", "https://bkt.obs.example.com:8443", "/k%20y.mp3"},
        {"1.2.3.4.example.com", "https://bkt.1.2.3.4.example.com", "/k%20y.mp3"},
        {"300.1.1.1", "https://bkt.300.1.1.1", "/k%20y.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.endpoint);
        ObsAddress address;
        QString error;
        ASSERT_TRUE(ObsAddress::Resolve(QString::fromUtf8(c.endpoint), QStringLiteral("bkt"),
                                        QStringLiteral("k y.mp3"), address, error));
        EXPECT_EQ(address.baseUrl.toStdString(), c.base);
        EXPECT_EQ(address.requestPath.toStdString(), c.path);
        EXPECT_EQ(address.canonicalResource.toStdString(), "/bkt/k%20y.mp3") << "signed the same either way";
    }
    for (const char* endpoint : {"", "  ", "a host/with/path", "http://"}) {
        ObsAddress address;
        QString error;
        EXPECT_FALSE(ObsAddress::Resolve(QString::fromUtf8(endpoint), QStringLiteral("b"), QStringLiteral("k"),
                                         address, error))
            << endpoint;
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ObsBodyStream, ReadsTheFileInPiecesAndRewindsForAResend)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("体.bin"));
    QByteArray content(3 * 1000 * 1000 + 5, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 + i / 251);
    ASSERT_TRUE(WriteBytes(path, content));

    uint64_t size = 0;
    concurrency::streams::istream body = FileReadStreamBuffer::Open(path, size);
    ASSERT_TRUE(body.is_valid());
    EXPECT_EQ(size, uint64_t(content.size()));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        // As the HTTP client reads a body: pieces straight into its own buffer, of a size that
        // leaves the last one short.
        std::string received;
        std::vector<uint8_t> piece(1 << 20 | 3);
        for (size_t got; (got = body.streambuf().getn(piece.data(), piece.size()).get()) > 0;)
            received.append(reinterpret_cast<const char*>(piece.data()), got);
        EXPECT_TRUE(received == content.toStdString()) << received.size() << " bytes";
        EXPECT_EQ(body.streambuf().getn(piece.data(), 10).get(), 0u) << "the end stays the end";
        body.seek(0); // what the client does before sending a body again
    }
    body.close().wait();

    for (const QString& unusable : {dir.filePath(QStringLiteral("missing")), dir.path()}) {
        EXPECT_FALSE(FileReadStreamBuffer::Open(unusable, size).is_valid());
        EXPECT_EQ(size, 0u);
    }
}

class ObjectStore : public ::testing::Test
{
protected:
    SHuaweiObsPolicy Policy(const QString& key, const QString& file = QString()) const
    {
        SHuaweiObsPolicy policy;
        policy.endpoint = QStringLiteral("127.0.0.1:%1").arg(m_server.Port());
        policy.accessKeyId = QLatin1String(kAk);
        policy.secretAccessKey = QLatin1String(kSk);
        policy.bucketName = QLatin1String(kBucket);
        policy.localFilePath = file;
        policy.objectKey = key;
        return policy;
    }

    QString File(const QString& name, const QByteArray& content) const
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, content)) << path.toStdString();
        return path;
    }

    FakeServer m_server;
    QTemporaryDir m_dir;
};

TEST_F(ObjectStore, UploadIsASignedPutOfTheFileUnderTheEncodedKey)
{
    m_server.OnPrefix("PUT", "/", [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
    QByteArray large(5 * 1024 * 1024 + 17, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& byte : large)
        byte = char(random());
    // An empty file is sent too, with the digest of nothing.
    for (const QByteArray& content : {large, QByteArray()}) {
        SCOPED_TRACE(content.size());
        const size_t before = m_server.Requests().size();
        // Only A-Z a-z 0-9 - _ . ~ stay as they are; every other byte is %XX in upper-case hex.
        const QString key = QStringLiteral("0f8e-guid_会议 录音~Ab+&=/?%ü.mp3");
        CQOVResNewWS store;
        ASSERT_NE(store.huaweiObsUploadFile(Policy(key, File(QStringLiteral("会议 录音.mp3"), content))), 0)
            << store.LastError().toStdString();

        ASSERT_EQ(m_server.Requests().size(), before + 1);
        const RecordedRequest put = m_server.Requests().back();
        EXPECT_EQ(put.method, "PUT");
        EXPECT_EQ(put.target,
                  "/qov-bucket/0f8e-guid_%E4%BC%9A%E8%AE%AE%20%E5%BD%95%E9%9F%B3~Ab%2B%26%3D%2F%3F%25%C3%BC.mp3");
        EXPECT_TRUE(put.body == content.toStdString()) << "the body is the file, " << put.body.size() << " bytes";
        EXPECT_EQ(Header(put, "Content-MD5"),
                  QCryptographicHash::hash(content, QCryptographicHash::Md5).toBase64().toStdString());
        EXPECT_EQ(Header(put, "Content-Type"), "application/octet-stream");
        const QString dateText = QString::fromStdString(Header(put, "Date"));
        ASSERT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2}, \\d\\d [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"))
                        .match(dateText)
                        .hasMatch())
            << dateText.toStdString();
        QDateTime date = QDateTime::fromString(dateText.chopped(4), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
        date.setTimeZone(QTimeZone::utc());
        ASSERT_TRUE(date.isValid()) << dateText.toStdString();
        EXPECT_LT(std::abs(date.secsTo(QDateTime::currentDateTimeUtc())), 120);
        EXPECT_EQ(Header(put, "Authorization"), ExpectedAuthorization(put));
    }
}

TEST_F(ObjectStore, OnlyTwoHundredAnswersCountAsDoneAndDeletesAreSigned)
{
    const QString file = File(QStringLiteral("a.mp3"), "audio");
    for (const int status : {200, 201, 204, 301, 400, 403, 404, 409, 500, 503}) {
        SCOPED_TRACE(status);
        const auto answer = [status](const httplib::Request&, httplib::Response& response) {
            response.status = status;
            response.set_content("<Error><Code>Refused</Code></Error>", "application/xml");
        };
        m_server.OnPrefix("PUT", "/", answer);
        m_server.OnPrefix("DELETE", "/", answer);
        const bool done = status / 100 == 2;
        CQOVResNewWS store;
        EXPECT_EQ(store.huaweiObsUploadFile(Policy(QStringLiteral("k.mp3"), file)) != 0, done);
        EXPECT_EQ(store.LastStatus(), status);
        EXPECT_EQ(store.LastError().isEmpty(), done);
        EXPECT_EQ(store.huaweiObsDeleteFile(Policy(QStringLiteral("guid_a b.mp3"))) != 0, done);
    }
    // A delete is signed too, and carries no body headers.
    const RecordedRequest del = m_server.Requests().back();
    EXPECT_EQ(del.method, "DELETE");
    EXPECT_EQ(del.target, "/qov-bucket/guid_a%20b.mp3");
    EXPECT_EQ(Header(del, "Content-MD5"), "<none>");
    EXPECT_EQ(Header(del, "Authorization"), ExpectedAuthorization(del));
}

TEST_F(ObjectStore, UnusableFilesAndSettingsFailWithoutARequest)
{
    const SHuaweiObsPolicy base = Policy(QStringLiteral("k.mp3"), File(QStringLiteral("a.mp3"), "audio"));
    // The good settings with one field changed, by default to nothing.
    const auto with = [&base](QString SHuaweiObsPolicy::*field, const QString& value = QString()) {
        SHuaweiObsPolicy policy = base;
        policy.*field = value;
        return policy;
    };
    const std::pair<const char*, SHuaweiObsPolicy> cases[] = {
        {"missing file", with(&SHuaweiObsPolicy::localFilePath, m_dir.filePath(QStringLiteral("missing.mp3")))},
        {"folder", with(&SHuaweiObsPolicy::localFilePath, m_dir.path())},
        {"no file", with(&SHuaweiObsPolicy::localFilePath)},
        {"no endpoint", with(&SHuaweiObsPolicy::endpoint)},
        {"no bucket", with(&SHuaweiObsPolicy::bucketName)},
        {"no access key", with(&SHuaweiObsPolicy::accessKeyId)},
        {"no secret", with(&SHuaweiObsPolicy::secretAccessKey)},
        {"no key", with(&SHuaweiObsPolicy::objectKey)},
    };
    for (const auto& [name, policy] : cases) {
        SCOPED_TRACE(name);
        CQOVResNewWS store;
        EXPECT_EQ(store.huaweiObsUploadFile(policy), 0);
        EXPECT_FALSE(store.LastError().isEmpty());
    }
    EXPECT_TRUE(m_server.Requests().empty());
}

} // namespace
