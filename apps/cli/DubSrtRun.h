#pragma once

class CommandRun;

// qovaigc dub --srt FILE: every caption of a subtitle file spoken and laid into one track at its
// caption's start. The captions' requests run a few at once, earliest first; the first caption
// that cannot be spoken ends the command with nothing left behind.
namespace DubSrtRun {

int Run(CommandRun& run);

} // namespace DubSrtRun
