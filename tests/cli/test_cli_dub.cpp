#include "CliFixture.h"

#include <QFile>

#include <cpprest/json.h>
#include <httplib.h>

#include <gtest/gtest.h>

namespace {

QByteArray Head(const QString& path, int bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

class DubCommand : public CommandLine
{
protected:
    size_t Recorded(const char* endpoint)
    {
        httplib::Client control("127.0.0.1", m_port);
        const auto reply = control.Get((std::string("/__control/requests?endpoint=") + endpoint).c_str());
        if (!reply || reply->status != 200)
            return size_t(-1);
        return web::json::value::parse(reply->body).as_array().size();
    }
};

TEST_F(DubCommand, ShortTextsGiveRealSpeechInTheChosenFormat)
{
    Outcome outcome = Run({"dub", "欢迎使用智能配音"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString mp3 = outcome.out.trimmed();
    EXPECT_TRUE(mp3.startsWith(m_folders.Work() + QStringLiteral("/AIAudio/Audio"))) << mp3.toStdString();
    EXPECT_TRUE(mp3.endsWith(QStringLiteral(".mp3")));
    EXPECT_TRUE(Head(mp3, 3) == "ID3" || (uchar(Head(mp3, 1)[0]) == 0xFF)) << "an MP3 file";
    EXPECT_GT(Seconds(mp3), 1.0);

    outcome = Run({"dub", "Hello & welcome = 100% + more", "--format", "wav", "--voice", "3", "--speed", "9"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString wav = outcome.out.trimmed();
    EXPECT_EQ(Head(wav, 4), QByteArray("RIFF"));
    EXPECT_GT(Seconds(wav), 1.0);
    EXPECT_EQ(Recorded("tts-short"), 2u);
    EXPECT_EQ(Recorded("tts-create"), 0u);
}

TEST_F(DubCommand, TextsOf512CharactersOrMoreBecomeAPolledTask)
{
    QString text = QStringLiteral("今天的天气很好，我们一起去公园散步。").repeated(29); // 522 characters
    text.truncate(512);
    const Outcome outcome = Run({QStringLiteral("dub"), text});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString path = outcome.out.trimmed();
    EXPECT_GT(Seconds(path), 20.0) << "512 characters of speech last well over 20 seconds";
    EXPECT_EQ(Recorded("tts-create"), 1u);
    EXPECT_GE(Recorded("tts-query"), 2u);
    EXPECT_EQ(Recorded("tts-short"), 0u);

    const Outcome listed = Run({QStringLiteral("history"), QStringLiteral("dubbing")});
    EXPECT_TRUE(listed.out.contains(QLatin1Char('\t') + path)) << listed.out.toStdString();

    text.truncate(511);
    ASSERT_EQ(Run({QStringLiteral("dub"), text}).exitCode, 0);
    EXPECT_EQ(Recorded("tts-short"), 1u) << "511 characters still take the short request";
}

} // namespace
