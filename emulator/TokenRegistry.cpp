#include "TokenRegistry.h"

#include "RandomText.h"

#include <chrono>

std::string TokenRegistry::Issue()
{
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    std::lock_guard lock(mutex_);
    auto token = RandomText::Hex(32) + "." + std::to_string(now) + "." + std::to_string(++serial_);
    tokens_.insert(token);
    return token;
}

bool TokenRegistry::IsValid(const std::string &token) const
{
    std::lock_guard lock(mutex_);
    return tokens_.count(token) != 0;
}
