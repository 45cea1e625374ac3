#pragma once

#include "apps/cli/ProgressLine.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

class CliArguments;
struct CliCommand;

// One command as it runs: its arguments, its progress line, and what it prints when it ends.
// A command sets its result fields (the JSON object of --json) and its plain lines as it learns
// them, and ends with Succeed, Fail, Usage or Interrupted, whose exit code it returns.
class CommandRun
{
public:
    CommandRun(const CliCommand& command, const CliArguments& arguments);
    // One item of a batch: its failure is named by subject ("SOURCE: reason") and its progress
    // shows on the batch's line.
    CommandRun(const CommandRun& batch, const QString& subject);
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    const CliArguments& Arguments() const { return m_arguments; }
    const QStringList& Positional() const;
    bool Json() const;
    ProgressLine& Progress() { return *m_shown; }
    const CliCommand& Command() const { return m_command; }
    // Set for an item of a batch.
    const QString& Subject() const { return m_subject; }

    // A field of the JSON object.
    void Set(const QString& key, const QJsonValue& value);
    // A line of standard output without --json.
    void Line(const QString& text);
    // Something the user should know about a success; standard error, or "warning" with --json.
    // Each call is a line of its own.
    void Warn(const QString& text);

    // Prints the lines, or the object with "ok": true.
    int Succeed();
    // Prints the lines so far (a script may read them still) and the message on standard error; with
    // --json, the object with "ok": false and "error": message.
    int Fail(const QString& message);
    // The user interrupted: says so and gives 128 + the signal's number.
    int Interrupted();
    // One sentence on what was wrong and the command's own usage line, on standard error.
    int Usage(const QString& problem);

    // "usage: qovaigc NAME SYNOPSIS [--json]".
    static QString UsageLine(const CliCommand& command);

private:
    void PrintResult(bool ok, const QString& message);

    const CliCommand& m_command;
    const CliArguments& m_arguments;
    ProgressLine m_progress;
    ProgressLine* m_shown = &m_progress;
    QString m_subject;
    QJsonObject m_fields;
    QStringList m_lines;
    QStringList m_warnings;
};
