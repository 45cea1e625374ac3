#pragma once

#include "EmulatorServer.h"
#include "OpenStudio.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

// English speech the recognizer's test data ships.
inline constexpr const char* kSpeech =
    "/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0880.wav";

// The loaded studio against the local services, which run in-process; the settings that point at
// them are read once, so the services keep their port for the process, whichever suite starts them.
class StudioServices : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folders = std::make_unique<ScratchFolders>();
        qputenv("QOV_CONFIG_DIR", s_folders->Config().toUtf8());
        qputenv("QOV_WORK_DIR", s_folders->Work().toUtf8());
        StartServices();
        ASSERT_GT(s_port, 0);
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(s_port);
        TestEnvironment::WriteSettings(
            s_folders->App(),
            QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n\n[Audio2Txt]\nURL=%1\nAPIKey=qov-local-key\n"
                           "SecretKey=qov-local-secret\n\n[Copywriting]\nURL=%1/chat/v1/completions\nAPIKey=qov-local-key\n"
                           "SecretKey=qov-local-secret\n\n[ObjectStore]\nEndpoint=127.0.0.1:%2\nAccessKeyId=qov-local-ak\n"
                           "SecretAccessKey=qov-local-sk\nBucket=qov-subtitles\n\n[FileTranscription]\nURL=%1/api\n\n"
                           "[Txt2Audio]\nURL=%1\nURLS=%1/text2audio\nAPIKey=qov-local-key\nSecretKey=qov-local-secret\nCuid=studio-test\n")
                .arg(base)
                .arg(s_port));
    }

    static void TearDownTestSuite()
    {
        s_server.reset();
        s_folders.reset();
    }

    // The services at the port the settings name (the same one again after a test stopped them).
    static void StartServices()
    {
        EmulatorOptions options;
        options.port = s_port;
        options.recognitionStepMs = 50;
        s_server = std::make_unique<EmulatorServer>(options);
        s_port = s_server->Start();
    }

    void SetUp() override
    {
        if (!s_server)
            StartServices();
        WriteAccount("qov-local-transcription-key");
        m_studio = OpenStudio();
        ASSERT_TRUE(m_studio);
    }

    void TearDown() override
    {
        if (m_studio)
            m_studio->close();
    }

    static void WriteAccount(const char* key)
    {
        ASSERT_TRUE(WriteBytes(s_folders->Config() + QStringLiteral("/iTarn.ini"),
                               QByteArray("[WaveToText]\nID=qovlocal\nKey=") + key + "\n"));
    }

    // A video of English speech over a plain picture, or the speech alone (a WAV file).
    static QString Media(const QString& name)
    {
        const QString path = s_folders->Root() + QLatin1Char('/') + name;
        QStringList arguments{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
        if (name.endsWith(QStringLiteral(".mp4")))
            arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                      << QStringLiteral("color=c=blue:s=160x120:r=25");
        arguments << QStringLiteral("-i") << QString::fromUtf8(kSpeech);
        if (name.endsWith(QStringLiteral(".mp4")))
            arguments << QStringLiteral("-shortest") << QStringLiteral("-c:v") << QStringLiteral("mpeg4");
        arguments << path;
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
        EXPECT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0) << ffmpeg.readAllStandardError().toStdString();
        return path;
    }

    // Adds the file to the project, selects it and opens the subtitles tool on it.
    QWidget* OpenOn(const QString& path, QUuid* id)
    {
        *id = m_studio->Project().AddMedia(path);
        m_studio->View().SelectMedia({*id});
        m_studio->ChooseTool(2);
        return m_studio->Panel().Window();
    }

    // The status line: the centred label under the picture.
    static QString Status(QWidget* window)
    {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->geometry().topLeft() == QPoint(105, 248))
                return label->text();
        }
        return QStringLiteral("<no status line>");
    }

    static bool WaitFor(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > 60000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static inline std::unique_ptr<ScratchFolders> s_folders;
    static inline std::unique_ptr<EmulatorServer> s_server;
    static inline int s_port = 0;
    std::unique_ptr<StudioWindow> m_studio;
};
