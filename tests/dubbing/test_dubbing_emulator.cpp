// The dubbing window against the local speech services, run in-process: the settings are read once
// per process, so this suite has a process of its own pointing them at the services.
#include "dubbing/CTxt2AudioWnd.h"
#include "dubbing/SamplePlayer.h"
#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/QOVMessage.h"
#include "support/Delivery.h"
#include "ui/CVoiceSelCtrl.h"

#include "EmulatorServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr uint32_t kHostMessage = 0x6002;
using Id = CTxt2AudioWnd::ControlId;

class Panel : public QWidget
{
public:
    QList<QPair<QUuid, QString>> results;

protected:
    bool event(QEvent* event) override
    {
        if (int(event->type()) != int(kHostMessage))
            return QWidget::event(event);
        const auto* message = static_cast<QOVMessageEvent*>(event);
        results.append({*reinterpret_cast<const QUuid*>(message->WParam()),
                        *reinterpret_cast<const QString*>(message->LParam())});
        return true;
    }
};

class SilentPlayer : public SamplePlayer
{
public:
    void Play(const QString&) override {}
};

class DubbingAgainstLocalServices : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folders = new QTemporaryDir;
        s_services = new EmulatorServer(EmulatorOptions{});
        const int port = s_services->Start();
        const QString root = s_folders->path();
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
        QDir(root).mkpath(QStringLiteral("app/InitFile"));
        QDir(root).mkpath(QStringLiteral("work"));
        QFile settings(root + QStringLiteral("/app/InitFile/AIGC.ini"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("[Token]\nURL=%1/oauth/2.0/token\n\n[Txt2Audio]\nURL=%1\nURLS=%1/text2audio\n"
                                      "APIKey=qov-local-key\nSecretKey=qov-local-secret\nCuid=test\n")
                           .arg(base)
                           .toUtf8());
        settings.close();
        // The voice library the build lays out.
        const QString library = QStringLiteral(QOV_BUILD_APP_DIR "/Media/AIGC/Txt2Audio/voice.xml");
        QDir(root).mkpath(QStringLiteral("app/Media/AIGC/Txt2Audio"));
        QFile::copy(library, root + QStringLiteral("/app/Media/AIGC/Txt2Audio/voice.xml"));
        qputenv("QOV_APP_DIR", (root + QStringLiteral("/app")).toUtf8());
        qputenv("QOV_WORK_DIR", (root + QStringLiteral("/work")).toUtf8());
        qputenv("QOV_CONFIG_DIR", root.toUtf8());
    }

    static void TearDownTestSuite()
    {
        delete s_services;
        delete s_folders;
    }

    std::unique_ptr<CTxt2AudioWnd> Open()
    {
        auto window = std::make_unique<CTxt2AudioWnd>(kHostMessage);
        window->SetSamplePlayer(std::make_unique<SilentPlayer>());
        EXPECT_TRUE(window->Create(&m_panel, QRect(0, 0, 920, 680), 1111));
        return window;
    }

    void Choose(CTxt2AudioWnd& window, int index)
    {
        window.VoiceGrid()->SetSelectedGroup(index);
        QOVSendMessage(&window, CVoiceSelCtrl::kVoiceChosenMessage, uintptr_t(index), Id::IdVoices);
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QTemporaryDir* s_folders;
    static EmulatorServer* s_services;
    Panel m_panel;
};

QTemporaryDir* DubbingAgainstLocalServices::s_folders = nullptr;
EmulatorServer* DubbingAgainstLocalServices::s_services = nullptr;

TEST_F(DubbingAgainstLocalServices, AShortTextBecomesSpeech)
{
    auto window = Open();
    ASSERT_EQ(window->VoiceGrid()->Groups().size(), 12);
    Choose(*window, 3);
    window->TypeList()->SetCurSel(1);
    const QUuid object = QUuid::createUuid();
    window->SetSelectedText(QStringLiteral("欢迎使用智能配音。"), object);
    window->Button(Id::IdStart)->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !window->IsBusy(); }));

    EXPECT_EQ(window->StatusLabel()->text(), QStringLiteral("生成成功！"));
    ASSERT_EQ(m_panel.results.size(), 1);
    EXPECT_EQ(m_panel.results[0].first, object);
    const QByteArray audio = Contents(m_panel.results[0].second);
    EXPECT_TRUE(audio.startsWith("RIFF") && audio.mid(8, 4) == "WAVE");
    EXPECT_GT(audio.size(), 8000) << "a quarter second of speech at least";
}

TEST_F(DubbingAgainstLocalServices, ALongTextBecomesSpeechThroughATask)
{
    auto window = Open();
    Choose(*window, 9);
    const QUuid object = QUuid::createUuid();
    window->SetSelectedText(QString(QStringLiteral("好。")).repeated(256), object);
    window->Button(Id::IdStart)->click();
    ASSERT_TRUE(window->IsBusy()) << window->StatusLabel()->text().toStdString();

    QElapsedTimer timer;
    timer.start();
    while (m_panel.results.isEmpty() && timer.elapsed() < 90000) {
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(m_panel.results.size(), 1) << window->StatusLabel()->text().toStdString();
    EXPECT_EQ(window->StatusLabel()->text(), QStringLiteral("生成成功！"));
    EXPECT_EQ(m_panel.results[0].first, object);
    EXPECT_TRUE(m_panel.results[0].second.endsWith(QStringLiteral(".mp3")));
    EXPECT_GT(Contents(m_panel.results[0].second).size(), 4000);
}

} // namespace
