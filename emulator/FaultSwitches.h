#pragma once

#include "FaultSetting.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// The fault switches of every endpoint, set and cleared by control requests while requests are
// being served, so everything here is guarded by one mutex.
class FaultSwitches {
public:
    void Set(const std::string &endpoint, const FaultSetting &setting);
    void Clear(const std::string &endpoint);
    void ClearAll();
    std::map<std::string, FaultSetting> Snapshot() const;

    // The fault to apply to one request of `endpoint`, counting it against the switch's `times`;
    // a switch whose count is used up is removed so the endpoint answers normally again.
    // An answer fault is left for the endpoint, which takes it with TakeAnswer when it answers
    // what the fault is about.
    std::optional<FaultSetting> Take(const std::string &endpoint);
    std::optional<FaultSetting> TakeAnswer(const std::string &endpoint);

    // Sleeps for an injected delay, returning early once Interrupt() is called so a stopping
    // server does not wait out a long delay.
    void Delay(std::chrono::milliseconds duration);
    void Interrupt();

private:
    std::optional<FaultSetting> TakeIf(const std::string &endpoint, bool answer);

    mutable std::mutex mutex_;
    std::map<std::string, FaultSetting> faults_;
    std::condition_variable interrupted_;
    bool interrupting_ = false;
};
