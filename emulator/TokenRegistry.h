#pragma once

#include <mutex>
#include <string>
#include <unordered_set>

// Access tokens issued by the token endpoint. They stay valid for the life of the process, as the
// real ones outlive any test run; every service checks its callers' tokens here.
class TokenRegistry {
public:
    // A fresh token, already valid: 32 random hex digits, a dot, then issue time and serial.
    std::string Issue();
    bool IsValid(const std::string &token) const;

private:
    mutable std::mutex mutex_;
    std::unordered_set<std::string> tokens_;
    unsigned long serial_ = 0;
};
