#pragma once

#include "EmulatorServer.h"

#include <cpprest/json.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// Runs a fresh emulator on a free loopback port for each test, with helpers for the requests
// most tests need.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual EmulatorOptions Options() const { return {}; }

    httplib::Client Client() const;
    std::string BaseUrl() const;
    // A valid token from the token endpoint, via the default credentials.
    std::string Token() const;
    httplib::Result PostChat(const std::string &token, const std::string &body) const;
    // The JSON reply to a JSON request at `path` with `token`; it must come with 200.
    web::json::value Call(const std::string &path, const std::string &body, const std::string &token) const;
    // Switches a fault on; fails the test if the control request is refused.
    void SetFault(const std::string &endpoint, const std::string &json) const;

    std::unique_ptr<EmulatorServer> server_;
    int port_ = 0;
};

// An emulator and a token it issued, for the services that want one on every call.
class TokenTest : public EmulatorTest {
protected:
    void SetUp() override;

    std::string token_;
};

namespace emulator_test {

// Parses a reply body, failing the test (and returning null) when it is not JSON.
web::json::value Json(const std::string &text);
// The JSON body of a reply that must have come with `status` and declared itself JSON; null when
// there was no reply.
web::json::value JsonReply(const httplib::Result &res, int status = 200);
// The JSON object `json` with `member` set to `value`, or without it.
std::string WithMember(const std::string &json, const char *member, web::json::value value);
std::string WithoutMember(const std::string &json, const char *member);
// The chat request body asking about `topic`.
std::string ChatBody(const std::string &topic);
std::string TokenForm(const std::string &id, const std::string &secret);
// Every byte but ASCII letters, digits and those in `unreserved` as %XX with upper-case digits.
std::string PercentEncode(const std::string &text, const std::string &unreserved = "");
std::string Repeat(const std::string &piece, int times);
std::int64_t EpochSeconds();
// Asks done() every `interval` until it holds or `limit` has passed; whether it held.
bool PollUntil(const std::function<bool()> &done, std::chrono::milliseconds interval,
               std::chrono::seconds limit = std::chrono::seconds(20));
// Sends raw bytes on a new connection and returns whatever comes back before the server closes
// or a second passes, for input no well-behaved client library would send. With `halfClose` the
// sending side is shut at once; the HTTP library may then see the client gone and not answer, so
// a test that reads the answer keeps it open.
std::string RawExchange(int port, const std::string &bytes, bool halfClose = true);

}  // namespace emulator_test
