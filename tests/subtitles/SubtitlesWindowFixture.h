#pragma once

#include "TranscriptionService.h"
#include "subtitles/CAudio2TxtWnd.h"
#include "subtitles/CSetUserInfoDlg.h"
#include "support/Delivery.h"
#include "support/EditorPanel.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using SubtitlesHost = EditorPanel<0x6003>;
using Id = CAudio2TxtWnd::ControlId;

// The window with its question and its account dialog answered by the test.
class TestSubtitlesWindow : public CAudio2TxtWnd
{
public:
    using CAudio2TxtWnd::CAudio2TxtWnd;
    bool answer = false;
    QStringList questions;
    // Plays the user's part in the open dialog; returns its result.
    std::function<int(CSetUserInfoDlg&)> userInfo;

protected:
    bool AskYesNo(const QString& question) override;
    int RunUserInfoDialog(CSetUserInfoDlg& dialog) override;
};

class SubtitlesWindow : public ::testing::Test
{
protected:
    static inline const std::string kCreate = "/aasr/v1/create";
    static inline const std::string kQuery = "/aasr/v1/query";

    void SetUp() override;
    void TearDown() override { m_env.Server().Reset(); }

    std::unique_ptr<TestSubtitlesWindow> Open(QWidget& panel);
    // Selects source for object and presses start.
    static void Start(TestSubtitlesWindow& window, const QString& source, const QUuid& object);
    // Delivers the posted messages of the window and its tasks until done holds (20 s at most).
    static bool WaitFor(const std::function<bool()>& done) { return DeliverUntil(nullptr, done); }
    static QString Status(const TestSubtitlesWindow& window) { return window.StatusLabel()->text(); }
    // A file of the test's own folder with some bytes (the fake services do not listen to them).
    QString File(const char* name);
    // Scripts the cloud engine: token, object store, a task that succeeds on its second query.
    void ScriptCloud();

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_dir;
    SubtitlesHost m_panel;
};
