#pragma once

struct CliCommand;

// qovaigc captions INPUT [--output PATH] [--max-chars N] [--max-lines N] [--max-seconds S]
//                        [--format srt|vtt|ass]
// An SRT file's sentences laid out as captions a viewer can read.
const CliCommand& CaptionsCommand();
