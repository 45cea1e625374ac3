#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class CommandRun;

// What a command of one text (a topic, a text to speak, a description) runs over: its one word, or
// with --from FILE every line of the file that holds something, each an item of its own. Blank
// lines (nothing but spaces) are skipped, since an empty item could only fail, but they keep
// their numbers, so "FILE:7" is the seventh line as an editor counts it. Each line is trimmed, and
// a Windows line end or a byte-order mark is not part of it. The file's character set is told from
// its bytes as a subtitle file's is, or named with --encoding; a file whose character set cannot
// be told is not read. A line holding a control character is an item that fails on its own.
struct BatchInput
{
    QStringList texts;
    // How a failure names each item: "FILE:LINE"; empty for the word.
    QStringList subjects;
    QList<int> lines;
    // Why a line cannot be sent, for each item; empty for one that can.
    QStringList problems;

    bool FromFile() const { return !subjects.isEmpty(); }

    // noun: what the word is ("TOPIC"). Nothing when the input was read; else the exit status of
    // the usage error or the failure to read the file, which has been printed.
    static std::optional<int> Read(CommandRun& run, const QString& noun, BatchInput& input);
    // The option names it adds to a command.
    static QStringList Names();
};
