#pragma once

#include "support/FakeServer.h"

#include <QString>

#include <string>
#include <vector>

// The file-transcription service as the tests script it on the fake server, and what its
// requests must carry.
inline const std::string kPrepare = "/api/prepare";
inline const std::string kUpload = "/api/upload";
inline const std::string kMerge = "/api/merge";
inline const std::string kProgress = "/api/getProgress";
inline const std::string kResult = "/api/getResult";

// A result of one sentence: 第一句 from 1.5 to 2.8 seconds.
inline const char* const kOneSentence =
    R"({"err_no":0,"data":"[{\"bg\":\"1500\",\"ed\":\"2800\",\"onebest\":\"第一句\",\"speaker\":\"1\"}]"})";

// A progress reply; status 9 is a finished task.
std::string ProgressReply(int status);
// Answers the progress queries with statuses in turn, repeating the last.
void ScriptProgress(FakeServer& server, const std::vector<int>& statuses);
// A task named taskId, finished at its first poll, whose result answers with result.
void ScriptTranscription(FakeServer& server, const std::string& taskId, const std::string& result);
// The transcription account in iTarn.ini, read by every task manager made after.
void WriteAccount(const QString& id, const QString& key);

// The transcription signature worked out in the tests from its definition with OpenSSL alone:
// Base64 of HMAC-SHA1(key, lower-case MD5 hex of application id + ts).
std::string ExpectedSigna(const std::string& appId, const std::string& key, const std::string& ts);

// The parameter names of a request target ("/path?a=1&b=2" gives a, b), in the order sent.
std::vector<std::string> QueryNames(const std::string& target);
