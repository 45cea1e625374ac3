#pragma once

struct CliCommand;

// qovaigc mux VIDEO [--audio TRACK] [--mix replace|duck|add] [--duck-db DB] [--subtitles FILE[:LANG]]...
// [--burn FILE] [--loudness LUFS] [--output PATH]
// The video put together with a new sound track, subtitle streams and captions drawn on it.
const CliCommand& MuxCommand();
