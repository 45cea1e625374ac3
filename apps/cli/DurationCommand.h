#pragma once

struct CliCommand;

// qovaigc duration FILE: seconds of FILE's first audio stream.
const CliCommand& DurationCommand();
