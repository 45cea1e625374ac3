#pragma once

#include "dubbing/CTxt2AudioWnd.h"
#include "dubbing/SamplePlayer.h"
#include "support/Delivery.h"
#include "support/EditorPanel.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using DubbingHost = EditorPanel<0x6002>;

// Records the samples the window asks for instead of playing them.
class RecordingPlayer : public SamplePlayer
{
public:
    explicit RecordingPlayer(QStringList* log) : m_log(log) {}
    void Play(const QString& path) override { m_log->append(QStringLiteral("play ") + path); }
    void Stop() override { m_log->append(QStringLiteral("stop")); }

private:
    QStringList* m_log;
};

// The window with its folder picker answered by the test.
class TestDubbingWindow : public CTxt2AudioWnd
{
public:
    using CTxt2AudioWnd::CTxt2AudioWnd;
    QString chosenFolder;

protected:
    QString ChooseFolder() override { return chosenFolder; }
};

class DubbingWindow : public ::testing::Test
{
protected:
    static constexpr int kVoiceCount = 10;
    static constexpr const char* kCreate = "/tts/v1/create";
    static constexpr const char* kQuery = "/tts/v1/query";

    void SetUp() override;
    void TearDown() override { QDir(LibraryFolder()).removeRecursively(); }

    // A library of kVoiceCount voices with identifiers 20, 21, ... (or the given document).
    void WriteLibrary(const QByteArray& document = QByteArray());
    std::unique_ptr<TestDubbingWindow> Open(QWidget& panel, uint32_t message = DubbingHost::kMessage);
    static QString Status(const TestDubbingWindow& window) { return window.StatusLabel()->text(); }
    static QString TextOf(int length) { return QString(length, QChar(0x6587)); } // 文
    // Scripts the long-text service: creation, the query replies in turn (the last repeats; a
    // reply "500" answers with that status) and the audio they point at.
    void ScriptLongTask(std::vector<std::string> queries);
    std::string SuccessReply() const;
    QString LibraryFolder() const { return m_env.AppDir() + QStringLiteral("/Media/AIGC/Txt2Audio/"); }

    TestEnvironment& m_env = TestEnvironment::Get();
    QStringList m_played;
    DubbingHost m_panel;
};
