#pragma once

class CliArguments;

// qovaigc write TOPIC: one copywriting request, the same way the copywriting window makes it.
int RunWriteCommand(const CliArguments& arguments);
