#pragma once

#include "TextGenerator.h"

#include <httplib.h>

#include <string>

class EndpointRouter;
class FaultSwitches;
class TokenRegistry;

// POST /chat/v1/completions?access_token=...: answers the last message with generated copy, or,
// when it asks for a translation, with the translation (an unknown pair refused with 336003).
// Like the service it stands in for, it always answers HTTP 200 and reports failures in the body.
class ChatService {
public:
    static constexpr const char *kEndpoint = "chat";
    static constexpr const char *kPath = "/chat/v1/completions";

    static constexpr int kInvalidToken = 110;
    static constexpr int kInvalidJson = 336002;
    static constexpr int kEmptyContent = 336003; // also a translation the emulator cannot make

    ChatService(TokenRegistry &tokens, FaultSwitches &faults);
    void Register(EndpointRouter &router);

    // A rough count in the service's own units: one per CJK character, one per four other bytes.
    static int EstimateTokens(const std::string &text);

private:
    void Handle(const httplib::Request &req, httplib::Response &res) const;

    TokenRegistry &tokens_;
    FaultSwitches &faults_;
    TextGenerator generator_;
};
