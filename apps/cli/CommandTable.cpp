#include "apps/cli/CommandTable.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/AccountCommand.h"
#include "apps/cli/CaptionsCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/DubCommand.h"
#include "apps/cli/DurationCommand.h"
#include "apps/cli/ExtractCommand.h"
#include "apps/cli/HelpCommand.h"
#include "apps/cli/HistoryCommand.h"
#include "apps/cli/LocalizeCommand.h"
#include "apps/cli/MuxCommand.h"
#include "apps/cli/PaintCommand.h"
#include "apps/cli/SubtitlesCommand.h"
#include "apps/cli/TranslateCommand.h"
#include "apps/cli/WriteCommand.h"

#include <QJsonArray>

namespace CommandTable {

namespace {

const char* const kClosing =
    "Every command takes --json: one JSON object on standard output (\"ok\", \"command\", the result's\n"
    "paths and fields; \"error\" on failure) instead of the plain lines.\n"
    "When standard error is a terminal, write, dub, paint, extract, subtitles and mux show their\n"
    "progress there; Ctrl-C stops the running task and leaves no unfinished file.\n"
    "Exit status: 0 success, 1 failure (the message on standard error), 2 usage, 130 interrupted.\n"
    "The folder options override QOV_APP_DIR, QOV_CONFIG_DIR and QOV_WORK_DIR.\n"
    "qovaigc --version prints the version.\n";

QString Indented(const char* summary)
{
    QString text;
    for (const QString& line : QString::fromUtf8(summary).split(QLatin1Char('\n')))
        text += QStringLiteral("      ") + line + QLatin1Char('\n');
    return text;
}

} // namespace

const std::vector<const CliCommand*>& Commands()
{
    static const std::vector<const CliCommand*> commands{&WriteCommand(),   &HistoryCommand(),  &DubCommand(),
                                                         &PaintCommand(),   &ExtractCommand(),  &DurationCommand(),
                                                         &SubtitlesCommand(), &CaptionsCommand(), &TranslateCommand(),
                                                         &MuxCommand(),     &LocalizeCommand(), &AccountCommand(),
                                                         &HelpCommand()};
    return commands;
}

const CliCommand* Find(const QString& name)
{
    for (const CliCommand* command : Commands()) {
        if (name == QLatin1String(command->name))
            return command;
    }
    return nullptr;
}

QString GlobalUsageLine()
{
    const QString folders = CliArguments::FolderOptions().join(QStringLiteral("] ["));
    return QStringLiteral("usage: qovaigc [%1] COMMAND ...").arg(folders);
}

QString HelpPage()
{
    QString page = GlobalUsageLine() + QStringLiteral("\n\ncommands:\n");
    for (const CliCommand* command : Commands()) {
        page += QStringLiteral("  ") + QLatin1String(command->name);
        if (*command->synopsis)
            page += QLatin1Char(' ') + QLatin1String(command->synopsis);
        page += QLatin1Char('\n') + Indented(command->summary);
    }
    return page + QLatin1Char('\n') + QLatin1String(kClosing);
}

QString CommandHelp(const CliCommand& command)
{
    return CommandRun::UsageLine(command) + QStringLiteral("\n\n") + Indented(command.summary);
}

QJsonObject Description()
{
    QJsonArray commands;
    for (const CliCommand* command : Commands()) {
        QJsonArray options;
        for (const QString& option : command->options + command->flags)
            options.append(QStringLiteral("--") + option);
        options.append(QStringLiteral("--json"));
        options.append(QStringLiteral("--help"));
        commands.append(QJsonObject{{QStringLiteral("name"), QLatin1String(command->name)},
                                    {QStringLiteral("usage"), CommandRun::UsageLine(*command)},
                                    {QStringLiteral("options"), options}});
    }
    QJsonArray global;
    for (const QString& option : CliArguments::FolderOptions())
        global.append(option.section(QLatin1Char(' '), 0, 0));
    return QJsonObject{{QStringLiteral("commands"), commands}, {QStringLiteral("global_options"), global}};
}

} // namespace CommandTable
