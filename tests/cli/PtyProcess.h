#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

#include <sys/types.h>

// A program run on a pseudo-terminal of its own, as from an interactive shell: standard input,
// output and error are the terminal, and Ctrl-C typed into it reaches the program as SIGINT.
class PtyProcess
{
public:
    // environment: "NAME=value" entries, the whole environment of the program.
    PtyProcess(const QString& program, const QStringList& arguments, const QStringList& environment);
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    bool Started() const { return m_child > 0; }
    // Reads until the output holds text; false when the program ended or the time ran out first.
    // meanwhile is called between reads.
    bool WaitFor(const QByteArray& text, std::chrono::milliseconds limit, const std::function<void()>& meanwhile = {});
    // Types Ctrl-C.
    void TypeInterrupt();
    // Ends the program as a crash or the system would, with no chance to clean up.
    void Kill();
    // Reads until the program ends and returns its exit status; 1000 + the signal's number when a
    // signal ended it, -1 when it did not end in time (it is then killed).
    int Finish(std::chrono::milliseconds limit, const std::function<void()>& meanwhile = {});
    // Everything the program wrote to the terminal.
    const QByteArray& Output() const { return m_output; }

private:
    // Reads what is there within a short while; false once the terminal has closed.
    bool ReadSome();
    bool Reap(bool wait);

    pid_t m_child = -1;
    int m_master = -1;
    bool m_exited = false;
    int m_status = -1;
    QByteArray m_output;
};
