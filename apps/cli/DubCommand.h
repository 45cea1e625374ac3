#pragma once

struct CliCommand;

// qovaigc dub TEXT [--voice N] [--speed N] [--pitch N] [--volume N] [--format mp3|wav] [--timeout S]
// Texts under 512 characters take the short request, longer ones a task that is polled, exactly as
// the dubbing window chooses.
const CliCommand& DubCommand();
