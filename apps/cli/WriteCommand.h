#pragma once

struct CliCommand;

// qovaigc write TOPIC [--timeout S]: one copywriting request, the same way the copywriting window
// makes it.
const CliCommand& WriteCommand();
