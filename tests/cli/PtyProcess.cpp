#include "PtyProcess.h"

#include <cerrno>
#include <csignal>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kReadWaitMs = 50;

std::vector<QByteArray> Encoded(const QStringList& words)
{
    std::vector<QByteArray> encoded;
    for (const QString& word : words)
        encoded.push_back(word.toLocal8Bit());
    return encoded;
}

std::vector<char*> Pointers(std::vector<QByteArray>& words)
{
    std::vector<char*> pointers;
    for (QByteArray& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

PtyProcess::PtyProcess(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    // Everything the child needs is made before the fork: between fork and exec a threaded
    // process may only make async-signal-safe calls.
    std::vector<QByteArray> argumentBytes = Encoded(QStringList{program} + arguments);
    std::vector<QByteArray> environmentBytes = Encoded(environment);
    std::vector<char*> argv = Pointers(argumentBytes);
    std::vector<char*> envp = Pointers(environmentBytes);
    winsize size{};
    size.ws_row = 40;
    size.ws_col = 160;
    m_child = forkpty(&m_master, nullptr, nullptr, &size);
    if (m_child == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (m_child < 0)
        m_master = -1;
}

PtyProcess::~PtyProcess()
{
    if (m_child > 0 && !m_exited) {
        kill(m_child, SIGKILL);
        Reap(true);
    }
    if (m_master >= 0)
        close(m_master);
}

bool PtyProcess::ReadSome()
{
    if (m_master < 0)
        return false;
    pollfd ready{m_master, POLLIN, 0};
    if (poll(&ready, 1, kReadWaitMs) <= 0)
        return true;
    char buffer[4096];
    const ssize_t count = read(m_master, buffer, sizeof buffer);
    if (count > 0) {
        m_output.append(buffer, count);
        return true;
    }
    // Linux reports EIO once the program and all it started have closed the terminal.
    return count < 0 && errno == EINTR;
}

bool PtyProcess::Reap(bool wait)
{
    if (m_exited)
        return true;
    int status = 0;
    const pid_t reaped = waitpid(m_child, &status, wait ? 0 : WNOHANG);
    if (reaped != m_child)
        return false;
    m_exited = true;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return true;
}

bool PtyProcess::WaitFor(const QByteArray& text, std::chrono::milliseconds limit,
                         const std::function<void()>& meanwhile)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!m_output.contains(text) && std::chrono::steady_clock::now() < until) {
        if (meanwhile)
            meanwhile();
        if (!ReadSome())
            break;
    }
    return m_output.contains(text);
}

void PtyProcess::TypeInterrupt()
{
    const char interrupt = 0x03;
    [[maybe_unused]] const ssize_t written = write(m_master, &interrupt, 1);
}

void PtyProcess::Kill()
{
    ::kill(m_child, SIGKILL);
}

int PtyProcess::Finish(std::chrono::milliseconds limit, const std::function<void()>& meanwhile)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (meanwhile)
            meanwhile();
        if (!ReadSome() && Reap(true))
            return m_status;
    }
    if (Reap(false))
        return m_status;
    kill(m_child, SIGKILL);
    Reap(true);
    return -1;
}
