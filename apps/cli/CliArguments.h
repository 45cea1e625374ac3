#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// Exit codes of the command line; an interrupted command exits with 128 + the signal's number.
enum CliExit { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The words of one command line: the command, its arguments, its "--name value" (or
// "--name=value") options and its flags. "--" ends the options: every later word is an argument.
class CliArguments
{
public:
    // Takes the folder options (--app-dir, --config-dir, --work-dir) out wherever they stand and
    // puts them into the environment the module reads.
    static CliArguments Parse(int argc, char** argv);

    QString Command() const;
    // Words after the command that are not options.
    const QStringList& Positional() const;
    // Value of --name, if given (the last one when given twice).
    std::optional<QString> Option(const QString& name) const;
    // Every value of --name, for an option that may be given more than once, in the order given.
    QStringList Options(const QString& name) const;
    // Whether the flag --name was given; --json and --help (also -h) are the flags every command takes.
    bool Flag(const QString& name) const;
    // Options given that are neither in known nor a flag, as they were written ("--since").
    QStringList UnknownOptions(const QStringList& known) const;
    // Flags given beyond --json, --help and known, as they were written ("--clear").
    QStringList UnknownFlags(const QStringList& known) const;
    // One sentence on words that could not be read (an option without its value), or empty.
    const QString& Problem() const;

    // The folder options: "--app-dir DIR" and so on, as the usage line shows them.
    static QStringList FolderOptions();

private:
    // Reads the option at argv[at] (name without its dashes); returns the index of its last word.
    int ReadOption(QString name, int argc, char** argv, int at);
    void NoteProblem(const QString& problem);

    QString m_command;
    QStringList m_positional;
    QList<QPair<QString, QString>> m_options;
    QStringList m_flags;
    QString m_problem;
};
