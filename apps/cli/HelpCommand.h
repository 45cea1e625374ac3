#pragma once

struct CliCommand;

// qovaigc help [COMMAND]: the help page, or one command's usage and what it does.
const CliCommand& HelpCommand();
