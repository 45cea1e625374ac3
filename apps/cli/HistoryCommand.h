#pragma once

struct CliCommand;

// qovaigc history TOOL [--from D] [--to D]: the records of a tool's log in a date range.
const CliCommand& HistoryCommand();
