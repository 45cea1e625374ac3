#pragma once

struct CliCommand;

const CliCommand& LocalizeCommand();
