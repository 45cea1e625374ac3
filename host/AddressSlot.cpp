#include "host/AddressSlot.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace {

struct Places
{
    std::mutex mutex;
    std::condition_variable freed;
    std::map<std::string, int> used;
};

Places& Shared()
{
    static Places* places = new Places;
    return *places;
}

// A stop is noticed within this, without a callback on the token for every waiting request.
constexpr std::chrono::milliseconds kStopCheck{50};

} // namespace

AddressSlot::AddressSlot(const std::string& address, const pplx::cancellation_token& cancel) : m_address(address)
{
    Places& places = Shared();
    std::unique_lock<std::mutex> lock(places.mutex);
    while (places.used[address] >= kPerAddress) {
        if (cancel.is_canceled())
            return;
        places.freed.wait_for(lock, kStopCheck);
    }
    ++places.used[address];
    m_held = true;
}

AddressSlot::~AddressSlot()
{
    if (!m_held)
        return;
    Places& places = Shared();
    {
        std::lock_guard<std::mutex> lock(places.mutex);
        --places.used[m_address];
    }
    places.freed.notify_all();
}
