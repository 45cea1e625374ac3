#pragma once

#include <QStringList>

class CommandRun;

// One command of qovaigc as the table lists it. A new command is a file with its run function
// and one of these, and a line in the table.
struct CliCommand
{
    const char* name;
    // The words after the name on its usage line ("SOURCE DEST [--start S] ..."); " [--json]" is
    // added, since every command takes it.
    const char* synopsis;
    // What it does and prints, for the help page; lines separated by '\n'.
    const char* summary;
    // The options that take a value, without their dashes.
    QStringList options;
    int (*run)(CommandRun& run);
    // Its flags besides --json and --help, without their dashes.
    QStringList flags = {};
};
