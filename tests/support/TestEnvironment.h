#pragma once

#include "support/FakeServer.h"
#include "support/QtPrinters.h"

#include <QString>
#include <QTemporaryDir>

#include <string>

// Creates a fresh folder tree for one test: app/, config/, work/.
class ScratchFolders
{
public:
    ScratchFolders();
    QString Root() const { return m_root.path(); }
    QString App() const { return m_root.filePath(QStringLiteral("app")); }
    QString Config() const { return m_root.filePath(QStringLiteral("config")); }
    QString Work() const { return m_root.filePath(QStringLiteral("work")); }

private:
    QTemporaryDir m_root;
};

// The folders and the settings file every test of a process shares. Settings sections are read
// once per process, so all of them point at one fake server that each test scripts afresh; a
// test that needs other settings runs in a child process.
class TestEnvironment
{
public:
    static TestEnvironment& Get();

    FakeServer& Server() { return m_server; }
    QString AppDir() const { return m_folders.App(); }
    QString WorkDir() const { return m_folders.Work(); }

    // Path of the token and chat routes on the fake server.
    static constexpr const char* kTokenPath = "/oauth/2.0/token";
    static constexpr const char* kChatPath = "/chat/v1/completions";
    static constexpr const char* kShortSpeechPath = "/text2audio";
    // Base path of the file-transcription service; its endpoints follow it.
    static constexpr const char* kTranscriptionBase = "/api";

    // The object store of the settings: the fake server itself, path-style.
    static constexpr const char* kStoreBucket = "test-bucket";

    // Scripts the token route to hand out token for any credentials.
    void GrantTokens(const std::string& token = "test-token");

    // Writes text as "<dir>/InitFile/AIGC.ini" and points QOV_APP_DIR at dir.
    static void WriteSettings(const QString& appDir, const QString& text);

private:
    TestEnvironment();

    ScratchFolders m_folders;
    FakeServer m_server;
};
