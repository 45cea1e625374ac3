#pragma once

#include "CliFixture.h"
#include "PtyProcess.h"

#include "AudioEncoder.h"
#include "GeneratedSpeech.h"
#include "MediaFixtures.h"
#include "support/TestFiles.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

// The command line with every local service in its settings, the recognition services too.
class LocalServices : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        PointAt(m_port);
    }

    // Every service at port: the emulator's, or one where nothing listens. With wordTimes, the
    // recognition requests ask for the times of the words, which only the local services know.
    void PointAt(int port, bool wordTimes = false)
    {
        QString settings = ServiceSettings(QStringLiteral("http://127.0.0.1:%1").arg(port), {},
                                           QString::fromStdString(EmulatorOptions{}.clientSecret));
        if (wordTimes)
            settings.replace("[Audio2Txt]\n", "[Audio2Txt]\nWordTimes=1\n");
        TestEnvironment::WriteSettings(m_folders.App(), settings);
    }

    void SetAccount(const std::string& key = EmulatorOptions{}.transcriptionKey)
    {
        const Outcome set = Run({"account", "--id", QString::fromStdString(EmulatorOptions{}.transcriptionAppId),
                                 "--key", QString::fromStdString(key)});
        ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    }

    QString Path(const QString& name) const { return m_folders.Root() + '/' + name; }
    // A file of bytes at NAME; its path.
    QString Write(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(WriteBytes(Path(name), bytes));
        return Path(name);
    }

    // Two spoken Chinese sentences, made once per test; as a video too when asked.
    QString Speech(bool video = false)
    {
        const QString audio = Path("讲话.mp3");
        if (!QFile::exists(audio)) {
            const GeneratedSpeech speech = GeneratedSpeech::Make({"今天天气很好", "我们明天见"}, {400, 700, 400});
            std::ofstream(audio.toStdString(), std::ios::binary) << AudioEncoder::Encode(speech.pcm, SpeechFormat::Mp3);
        }
        const QString movie = Path("讲话.MOV");
        if (!video || QFile::exists(movie))
            return video ? movie : audio;
        bool ok = false;
        const QString said =
            MediaFixtures::RunFfmpeg(QStringList{"-f", "lavfi", "-i", "color=c=gray:s=64x48:r=25", "-i", audio,
                                                 "-shortest", "-c:v", "mpeg4", "-c:a", "aac", movie},
                                     &ok);
        EXPECT_TRUE(ok) << said.toStdString();
        return movie;
    }

    // qovaigc on a pseudo-terminal of its own, as typed into an interactive shell.
    std::unique_ptr<PtyProcess> OnTerminal(const QStringList& arguments) const
    {
        return std::make_unique<PtyProcess>(QStringLiteral(QOVAIGC_BIN), WithFolders(arguments), Environment());
    }
};
