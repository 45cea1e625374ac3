#pragma once

struct CliCommand;

// qovaigc paint PROMPT [--size WxH] [--count N] [--reference FILE] [--timeout S]
// Prints the local path of every image that passed the service's review, one per line.
const CliCommand& PaintCommand();
