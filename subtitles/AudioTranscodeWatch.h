#pragma once

#include <functional>

// What the code that asked for an extraction follows and steers while it runs: used by the
// module's own callers, not exported. Every member may be left empty.
struct AudioTranscodeWatch
{
    // Seconds of the range done and in all (0 when the source does not say), on the extracting
    // thread; done equals total when the extraction succeeded.
    std::function<void(double done, double total)> progress;
    // True stops the extraction, even while it waits for a read; it then returns
    // TRANSCODE_CANCELLED and leaves no file behind. Asked often: keep it cheap.
    std::function<bool()> stop;
    // After the call: the system's error number behind a failure to open, read or write a file,
    // or 0.
    int systemError = 0;
};
