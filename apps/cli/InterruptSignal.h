#pragma once

// Ctrl-C (SIGINT) and SIGTERM ask the running command to stop: the handler only notes the signal
// and wakes whoever waits; the command stops its task, removes what it left unfinished and exits
// with 128 + the signal's number. A second signal ends the process at once.
class InterruptSignal
{
public:
    static void Install();
    static bool Requested();
    // 128 + the signal's number (130 for Ctrl-C).
    static int ExitCode();
    // Becomes readable when a signal arrives, for an event loop to watch; -1 before Install().
    static int WakeDescriptor();
};
