#include "apps/cli/CommandRun.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CliOutput.h"
#include "apps/cli/InterruptSignal.h"

#include <QJsonDocument>

namespace {

const char* const kInterrupted = "interrupted";

} // namespace

CommandRun::CommandRun(const CliCommand& command, const CliArguments& arguments)
    : m_command(command)
    , m_arguments(arguments)
    , m_progress(QString::fromLatin1(command.name))
{
}

CommandRun::CommandRun(const CommandRun& batch, const QString& subject)
    : m_command(batch.m_command)
    , m_arguments(batch.m_arguments)
    , m_progress(QString::fromLatin1(batch.m_command.name))
    , m_shown(batch.m_shown)
    , m_subject(subject)
{
}

const QStringList& CommandRun::Positional() const
{
    return m_arguments.Positional();
}

bool CommandRun::Json() const
{
    return m_arguments.Flag(QStringLiteral("json"));
}

void CommandRun::Set(const QString& key, const QJsonValue& value)
{
    m_fields.insert(key, value);
}

void CommandRun::Line(const QString& text)
{
    m_lines << text;
}

void CommandRun::Warn(const QString& text)
{
    m_warnings << text;
    Set(QStringLiteral("warning"), m_warnings.join(QLatin1Char('\n')));
}

int CommandRun::Succeed()
{
    PrintResult(true, QString());
    return ExitOk;
}

int CommandRun::Fail(const QString& message)
{
    PrintResult(false, message.isEmpty() ? QStringLiteral("the operation failed") : message);
    return ExitFailed;
}

int CommandRun::Interrupted()
{
    Set(QStringLiteral("interrupted"), true);
    PrintResult(false, QString::fromLatin1(kInterrupted));
    return InterruptSignal::ExitCode();
}

int CommandRun::Usage(const QString& problem)
{
    m_shown->Clear();
    PrintError(QStringLiteral("qovaigc %1: %2\n%3").arg(QLatin1String(m_command.name), problem, UsageLine(m_command)));
    return ExitUsage;
}

QString CommandRun::UsageLine(const CliCommand& command)
{
    QString line = QStringLiteral("usage: qovaigc ") + QLatin1String(command.name);
    if (*command.synopsis)
        line += QLatin1Char(' ') + QLatin1String(command.synopsis);
    return line + QStringLiteral(" [--json]");
}

void CommandRun::PrintResult(bool ok, const QString& message)
{
    m_shown->Clear();
    if (Json()) {
        QJsonObject object = m_fields;
        object.insert(QStringLiteral("ok"), ok);
        object.insert(QStringLiteral("command"), QLatin1String(m_command.name));
        if (!ok)
            object.insert(QStringLiteral("error"), message);
        PrintLine(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    } else {
        for (const QString& line : m_lines)
            PrintLine(line);
    }
    const QString named = m_subject.isEmpty() ? QString() : m_subject + QStringLiteral(": ");
    if (!ok)
        PrintError(named + message);
    else
        for (const QString& warning : m_warnings)
            PrintError(named + warning);
}
