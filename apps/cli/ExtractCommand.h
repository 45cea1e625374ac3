#pragma once

struct CliCommand;

// qovaigc extract SOURCE DEST [--start S] [--end E] [--codec mp3|pcm] [--channels 1|2]
//                              [--rate 16000|8000] [--bits 16|8]
const CliCommand& ExtractCommand();
