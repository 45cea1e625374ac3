#pragma once

#include <pplx/pplxtasks.h>

#include <string>

// A place among the requests to one service address (scheme, host and port) that the process has
// under way: at most kPerAddress at once, the next when one ends. A batch of hundreds of tasks
// would otherwise open hundreds of connections to one service at the same moment, which a service
// answers with cut replies or a refusal. The place is held for the object's life; a stop ends the
// wait for one (the request then fails as stopped).
class AddressSlot
{
public:
    static constexpr int kPerAddress = 8;

    AddressSlot(const std::string& address, const pplx::cancellation_token& cancel);
    ~AddressSlot();
    AddressSlot(const AddressSlot&) = delete;
    AddressSlot& operator=(const AddressSlot&) = delete;

    bool Held() const { return m_held; }

private:
    std::string m_address;
    bool m_held = false;
};
