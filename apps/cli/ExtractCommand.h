#pragma once

class CliArguments;

// qovaigc extract SOURCE DEST [--start S] [--end E] [--codec mp3|pcm] [--channels 1|2]
//                              [--rate 16000|8000] [--bits 16|8]
int RunExtractCommand(const CliArguments& arguments);
// qovaigc duration FILE
int RunDurationCommand(const CliArguments& arguments);
