#pragma once

// Every window message and event number the module posts or sends among its own windows and
// workers, in one place, so that no two of them meet by accident. The host's own numbers (those
// command 4 hands a window) are the host's.
namespace MessageNumbers {

// A voice selector tells the dubbing window which voice group was chosen (sent).
constexpr int kVoiceChosen = 4033;
// A selector control tells its window its new content height (sent).
constexpr int kContentHeight = 4112;
// A thumbnail of the painting window hands its image over (posted).
constexpr int kThumbnailItem = 8024;
// The subtitle task manager's notifications to its receiving window (posted).
constexpr int kTaskProgress = 8027;
// A voice selector asks the dubbing window to play (or stop) a sample (posted).
constexpr int kPlaySample = 8124;
// The history list hands an earlier result to a tool window (posted).
constexpr int kHistoryItem = 8224;
// A service task's progress and its end, to the thread that owns the task (posted).
constexpr int kServiceTaskProgress = 8310;
constexpr int kServiceTaskEnd = 8311;

} // namespace MessageNumbers
