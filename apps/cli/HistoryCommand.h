#pragma once

class CliArguments;

// qovaigc history TOOL [--from D] [--to D]: the records of a tool's log in a date range.
int RunHistoryCommand(const CliArguments& arguments);
