#include "apps/cli/InterruptSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignalExitBase = 128;

std::atomic<int> g_signal{0};
int g_pipe[2] = {-1, -1};

void Handle(int number)
{
    const int saved = errno;
    g_signal.store(number);
    if (g_pipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    }
    errno = saved;
}

} // namespace

void InterruptSignal::Install()
{
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = &Handle;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that blocks (a pipe, a stalled share) returns, and the work sees the
    // request. After the first signal the default action is back, so a second one ends the process.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptSignal::Requested()
{
    return g_signal.load() != 0;
}

int InterruptSignal::ExitCode()
{
    return kSignalExitBase + g_signal.load();
}

int InterruptSignal::WakeDescriptor()
{
    return g_pipe[0];
}
