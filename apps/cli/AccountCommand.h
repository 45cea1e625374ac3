#pragma once

struct CliCommand;

// qovaigc account [--id ID --key KEY | --clear]
// The file-transcription account the subtitles tool uses: shown (its id, never its key), set or
// emptied through the subtitle task manager.
const CliCommand& AccountCommand();
