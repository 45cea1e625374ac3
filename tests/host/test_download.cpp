#include "host/CQOVResClientHttpClient.h"
#include "support/FakeServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";

class Download : public ::testing::Test
{
protected:
    int Fetch(const std::string& url, const QString& target)
    {
        CQOVResClientHttpClient client(QString::fromLatin1(kAgent));
        const int result = client.DownLoad_New(QString::fromStdString(url), target, QString(), nullptr, 0, 0);
        m_lastError = client.LastError();
        return result;
    }

    // Files in the folder besides the expected ones: a failed download leaves nothing behind.
    QStringList Leftovers() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    }

    FakeServer m_server;
    QTemporaryDir m_dir;
    QString m_lastError;
};

TEST_F(Download, FailuresLeaveNoPartialFileAndASuccessReplacesTheOldOneWhole)
{
    const QString target = m_dir.filePath(QStringLiteral("Audio.mp3"));
    ASSERT_TRUE(WriteBytes(target, "previous"));

    m_server.Reply("GET", "/missing.mp3", 404, "not here", "text/plain");
    EXPECT_EQ(Fetch(m_server.Url("/missing.mp3"), target), 0);
    EXPECT_FALSE(m_lastError.isEmpty());

    // A body cut off half-way: the announced length is never reached.
    m_server.On("GET", "/cut.mp3", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(100000, "audio/mp3", [](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset > 0)
                return false;
            const std::string half(50000, 'x');
            sink.write(half.data(), half.size());
            return true;
        });
    });
    EXPECT_EQ(Fetch(m_server.Url("/cut.mp3"), target), 0);
    EXPECT_EQ(ReadBytes(target), QByteArray("previous"));
    EXPECT_EQ(Leftovers(), QStringList{QStringLiteral("Audio.mp3")});

    std::string body(200000, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = char(i * 31);
    m_server.Reply("GET", "/speech/a.mp3", 200, body, "audio/mp3");
    ASSERT_NE(Fetch(m_server.Url("/speech/a.mp3?sign=1&x=%2F"), target), 0) << m_lastError.toStdString();
    EXPECT_EQ(ReadBytes(target), QByteArray::fromStdString(body));
    EXPECT_EQ(Leftovers(), QStringList{QStringLiteral("Audio.mp3")});
    ASSERT_EQ(m_server.Requests().size(), 3u) << "one request a download";
    EXPECT_EQ(m_server.Requests().back().target, "/speech/a.mp3?sign=1&x=%2F");
}

TEST_F(Download, UnreachableOrInvalidAddressesFail)
{
    const QString target = m_dir.filePath(QStringLiteral("x.bin"));
    EXPECT_EQ(Fetch("http://127.0.0.1:1/x", target), 0);
    EXPECT_EQ(Fetch("not an address", target), 0);
    EXPECT_EQ(Fetch("", target), 0);
    EXPECT_TRUE(Leftovers().isEmpty());
}

} // namespace
