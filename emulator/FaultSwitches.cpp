#include "FaultSwitches.h"

void FaultSwitches::Set(const std::string &endpoint, const FaultSetting &setting)
{
    std::lock_guard lock(mutex_);
    faults_[endpoint] = setting;
}

void FaultSwitches::Clear(const std::string &endpoint)
{
    std::lock_guard lock(mutex_);
    faults_.erase(endpoint);
}

void FaultSwitches::ClearAll()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::map<std::string, FaultSetting> FaultSwitches::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return faults_;
}

std::optional<FaultSetting> FaultSwitches::Take(const std::string &endpoint)
{
    return TakeIf(endpoint, false);
}

std::optional<FaultSetting> FaultSwitches::TakeAnswer(const std::string &endpoint)
{
    return TakeIf(endpoint, true);
}

std::optional<FaultSetting> FaultSwitches::TakeIf(const std::string &endpoint, bool answer)
{
    std::lock_guard lock(mutex_);
    const auto it = faults_.find(endpoint);
    if (it == faults_.end() || it->second.answer.has_value() != answer)
        return std::nullopt;
    FaultSetting taken = it->second;
    if (it->second.times) {
        if (--*it->second.times <= 0)
            faults_.erase(it);
    }
    return taken;
}

void FaultSwitches::Delay(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    interrupted_.wait_for(lock, duration, [this] { return interrupting_; });
}

void FaultSwitches::Interrupt()
{
    {
        std::lock_guard lock(mutex_);
        interrupting_ = true;
    }
    interrupted_.notify_all();
}
