#include "service/BusyWait.h"

#include "host/QOVSystem.h"
#include "service/RestClient.h"

#include <QString>

#include <algorithm>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kFirstPause{500};
constexpr std::chrono::milliseconds kLongestPause{8000};
// How often a pause looks at the cancellation: the token has no way to wake a sleeper.
constexpr std::chrono::milliseconds kCancelCheck{20};

} // namespace

BusyWait::BusyWait() : m_until(std::chrono::steady_clock::now() + RestClient::RequestTimeout()), m_pause(kFirstPause) {}

bool BusyWait::Wait(const pplx::cancellation_token& cancel, std::optional<std::chrono::milliseconds> asked)
{
    using namespace std::chrono;
    const milliseconds left = duration_cast<milliseconds>(m_until - steady_clock::now());
    if (left <= milliseconds::zero())
        return false;
    const milliseconds pause = std::min(asked.value_or(m_pause), left);
    m_pause = std::min(m_pause * 2, kLongestPause);
    QOVDebugOutput(QStringLiteral("the service is busy: asking again in %1 ms").arg(pause.count()));
    const steady_clock::time_point until = steady_clock::now() + pause;
    while (!cancel.is_canceled()) {
        const steady_clock::duration rest = until - steady_clock::now();
        if (rest <= steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(rest, kCancelCheck));
    }
    return false;
}
