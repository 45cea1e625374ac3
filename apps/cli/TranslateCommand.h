#pragma once

struct CliCommand;

// qovaigc translate INPUT --to LANG [--from LANG] [--glossary FILE] [--output PATH] ...
// A subtitle file's captions translated through the chat service, one caption for each.
const CliCommand& TranslateCommand();
