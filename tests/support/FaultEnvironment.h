#pragma once

#include "support/FaultyServer.h"
#include "support/TestEnvironment.h"

#include <QString>

#include <chrono>
#include <string>

// The folders, settings and servers of a fault-matrix suite. Tokens, the services and the files the
// services hand out each come from a server of their own that can refuse connections, so one
// request of a task can fail while the others succeed. Settings are read once per process, so the
// servers live as long as the process, and a process has them over plain HTTP or over HTTPS (with
// the settings trusting the servers' certificate through CaFile), not both.
class FaultEnvironment
{
public:
    enum class Transport { Http, Https };

    static constexpr const char* kTokenPath = "/oauth/2.0/token";
    static constexpr const char* kChatPath = "/chat/v1/completions";
    static constexpr const char* kShortSpeechPath = "/text2audio";
    // The file-transcription service's base path on the services' server.
    static constexpr const char* kTranscriptionBase = "/api";
    // The object store: its own server, path-style; objects live under /BUCKET/.
    static constexpr const char* kStoreBucket = "fault-bucket";
    static constexpr const char* kStorePrefix = "/fault-bucket/";

    // What the user is told of a failure any request can meet, with the request time-out the
    // matrices set (1 second).
    static constexpr const char* kConnectText = "无法连接到服务，请检查网络和配置文件中的服务地址";
    static constexpr const char* kTimedOutText = "服务在1秒内没有回复，请稍后重试";
    static constexpr const char* kCutText = "服务的回复没有传完连接就断开了，请稍后重试";
    static constexpr const char* kTooLargeText = "服务的回复大于8 MB，已放弃读取";
    static constexpr const char* kUntrustedText = "服务的证书未通过校验：证书是自签名的";
    static constexpr std::chrono::seconds kRequestTimeout{1};

    // The process's environment, made on the first call; asking for the other transport later throws.
    static FaultEnvironment& Get(Transport transport = Transport::Http);

    FaultyServer& Tokens() { return m_tokens; }
    FaultyServer& Services() { return m_services; }
    FaultyServer& Files() { return m_files; }
    FaultyServer& Store() { return m_store; }
    QString WorkDir() const { return m_folders.Work(); }
    // The object store's endpoint as the settings name it.
    QString StoreEndpoint() const;

    // Every server listening again with nothing scripted but the token route and a store that keeps
    // and deletes objects.
    void Reset();
    // The token route failing as fault says.
    void ServeToken(Fault fault);

private:
    explicit FaultEnvironment(Transport transport);

    Transport m_transport;
    ScratchFolders m_folders;
    FaultyServer m_tokens;
    FaultyServer m_services;
    FaultyServer m_files;
    FaultyServer m_store;
};
