#pragma once

struct CliCommand;

// qovaigc subtitles SOURCE [--engine file|cloud] [--model N] [--start S] [--end E] [--timeout S]
// One task through the subtitle task manager, as the subtitles window runs it: a video's audio
// extracted first, then recognition, then the SRT file.
const CliCommand& SubtitlesCommand();
