#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Exit codes of the command line.
enum CliExit { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// A command's words after the global options, with "--name value" options taken out.
class CliArguments
{
public:
    // Takes the global folder options (--app-dir, --config-dir, --work-dir) out of argv and puts
    // them into the environment the module reads. Returns nothing when an option lacks its value.
    static std::optional<CliArguments> Parse(int argc, char** argv, QString& error);

    QString Command() const;
    // Words after the command that are not options.
    const QStringList& Positional() const;
    // Value of --name, if given.
    std::optional<QString> Option(const QString& name) const;
    // Names of options given that are not in known.
    QStringList UnknownOptions(const QStringList& known) const;

private:
    QString m_command;
    QStringList m_positional;
    QList<QPair<QString, QString>> m_options;
};

QString UsageText();
