#pragma once

class TransLog;

// The tool numbers a tool window gives the history dialog; each picks that tool's task log.
namespace HistoryTool {

constexpr int None = -1;
constexpr int Painting = 0;
constexpr int Subtitles = 1;
constexpr int Dubbing = 2;
constexpr int Copywriting = 3;

// The module's log of that tool; null for any other number.
TransLog* LogOf(int tool);

} // namespace HistoryTool
