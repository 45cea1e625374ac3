#pragma once

#include <string>
#include <vector>

// The transcription signature worked out in the tests from its definition with OpenSSL alone:
// Base64 of HMAC-SHA1(key, lower-case MD5 hex of application id + ts).
std::string ExpectedSigna(const std::string& appId, const std::string& key, const std::string& ts);

// The parameter names of a request target ("/path?a=1&b=2" gives a, b), in the order sent.
std::vector<std::string> QueryNames(const std::string& target);
