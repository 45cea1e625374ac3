#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

struct CliCommand;

// Every command of qovaigc, in the order the help page lists them.
namespace CommandTable {

const std::vector<const CliCommand*>& Commands();
const CliCommand* Find(const QString& name);

// "usage: qovaigc [--app-dir DIR] ... COMMAND ..."
QString GlobalUsageLine();
// The whole help page.
QString HelpPage();
// One command's usage line and what it does.
QString CommandHelp(const CliCommand& command);
// The commands and their options, for scripts and shell completion.
QJsonObject Description();

} // namespace CommandTable
