#pragma once

#include <cpprest/json.h>

#include <optional>
#include <string>

// One fault switch as set by a control request. Every member is optional; the switch applies
// to the next `times` requests of its endpoint, or until cleared when `times` is absent.
struct FaultSetting {
    std::optional<int> status;
    int delayMs = 0;
    bool malformed = false;
    bool wrongTypes = false;
    bool close = false;
    std::optional<int> times;
    // A fault in what a translation answer says rather than in how it arrives, applied by the chat
    // endpoint itself: one of kAnswerFaults. Lasts one reply unless `times` says otherwise.
    std::optional<std::string> answer;

    static const char *const kAnswerFaults[];

    // Parses a control request body. Returns std::nullopt and sets `error` when a member has the
    // wrong type or an out-of-range value, so a typo in a test fails loudly instead of silently
    // switching nothing.
    static std::optional<FaultSetting> FromJson(const web::json::value &body, std::string &error);
    web::json::value ToJson() const;
};
