#include "TranscriptionService.h"

#include "subtitles/CWaveToTextMgr.h"
#include "support/TestFiles.h"

#include <QUrl>
#include <QUrlQuery>

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <gtest/gtest.h>

#include <cstdio>

std::string ProgressReply(int status)
{
    return R"({"ok":0,"err_no":0,"failed":null,"data":"{\"status\":)" + std::to_string(status) + R"(,\"desc\":\"d\"}"})";
}

void ScriptProgress(FakeServer& server, const std::vector<int>& statuses)
{
    std::vector<std::string> replies;
    for (const int status : statuses)
        replies.push_back(ProgressReply(status));
    server.ReplyInTurn("POST", kProgress, std::move(replies));
}

void ScriptTranscription(FakeServer& server, const std::string& taskId, const std::string& result)
{
    const std::string empty = R"({"ok":0,"err_no":0,"failed":null,"data":""})";
    server.Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":")" + taskId + R"("})");
    server.Reply("POST", kUpload, 200, empty);
    server.Reply("POST", kMerge, 200, empty);
    ScriptProgress(server, {9});
    server.Reply("POST", kResult, 200, result);
}

void WriteAccount(const QString& id, const QString& key)
{
    EXPECT_TRUE(WriteBytes(CWaveToTextMgr::AccountFilePath(),
                           QStringLiteral("[WaveToText]\nID=%1\nKey=%2\n").arg(id, key).toUtf8()));
}

std::string ExpectedSigna(const std::string& appId, const std::string& key, const std::string& ts)
{
    const std::string message = appId + ts;
    unsigned char md5[EVP_MAX_MD_SIZE];
    unsigned int md5Length = 0;
    EVP_Digest(message.data(), message.size(), md5, &md5Length, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < md5Length; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", md5[i]);
        hex += pair;
    }
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    HMAC(EVP_sha1(), key.data(), int(key.size()), reinterpret_cast<const unsigned char*>(hex.data()), hex.size(), mac,
         &macLength);
    unsigned char base64[64];
    const int length = EVP_EncodeBlock(base64, mac, int(macLength));
    return std::string(reinterpret_cast<char*>(base64), size_t(length));
}

std::vector<std::string> QueryNames(const std::string& target)
{
    std::vector<std::string> names;
    for (const auto& [name, value] : QUrlQuery(QUrl(QString::fromStdString(target)).query()).queryItems())
        names.push_back(name.toStdString());
    return names;
}
