#include "apps/cli/CliArguments.h"

namespace {

struct FolderOption
{
    const char* option;
    const char* variable;
};

constexpr FolderOption kFolderOptions[] = {
    {"app-dir", "QOV_APP_DIR"},
    {"config-dir", "QOV_CONFIG_DIR"},
    {"work-dir", "QOV_WORK_DIR"},
};

// Every flag any command takes: a word after one of these is never its value. Which command takes
// which is the command table's matter.
const char* const kFlags[] = {"json", "help", "clear", "fresh"};

bool IsFlag(const QString& name)
{
    for (const char* flag : kFlags) {
        if (name == QLatin1String(flag))
            return true;
    }
    return false;
}

const char* FolderVariable(const QString& name)
{
    for (const FolderOption& folder : kFolderOptions) {
        if (name == QLatin1String(folder.option))
            return folder.variable;
    }
    return nullptr;
}

} // namespace

CliArguments CliArguments::Parse(int argc, char** argv)
{
    CliArguments parsed;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && word == QLatin1String("-h")) {
            parsed.m_flags << QStringLiteral("help");
        } else if (!optionsEnded && word.startsWith(QLatin1String("--"))) {
            i = parsed.ReadOption(word.mid(2), argc, argv, i);
        } else if (parsed.m_command.isEmpty()) {
            parsed.m_command = word;
        } else {
            parsed.m_positional << word;
        }
    }
    return parsed;
}

int CliArguments::ReadOption(QString name, int argc, char** argv, int at)
{
    std::optional<QString> value;
    const qsizetype eq = name.indexOf(QLatin1Char('='));
    if (eq > 0) {
        value = name.mid(eq + 1);
        name.truncate(eq);
    }
    if (IsFlag(name)) {
        if (value)
            NoteProblem(QStringLiteral("--%1 takes no value").arg(name));
        m_flags << name;
        return at;
    }
    if (!value) {
        if (at + 1 >= argc) {
            NoteProblem(QStringLiteral("--%1 needs a value").arg(name));
            return at;
        }
        value = QString::fromLocal8Bit(argv[++at]);
    }
    if (const char* variable = FolderVariable(name))
        qputenv(variable, value->toLocal8Bit());
    else
        m_options.append({name, *value});
    return at;
}

void CliArguments::NoteProblem(const QString& problem)
{
    if (m_problem.isEmpty())
        m_problem = problem;
}

QString CliArguments::Command() const
{
    return m_command;
}

const QStringList& CliArguments::Positional() const
{
    return m_positional;
}

std::optional<QString> CliArguments::Option(const QString& name) const
{
    for (qsizetype i = m_options.size() - 1; i >= 0; --i) {
        if (m_options[i].first == name)
            return m_options[i].second;
    }
    return std::nullopt;
}

QStringList CliArguments::Options(const QString& name) const
{
    QStringList values;
    for (const auto& [option, value] : m_options) {
        if (option == name)
            values << value;
    }
    return values;
}

bool CliArguments::Flag(const QString& name) const
{
    return m_flags.contains(name);
}

QStringList CliArguments::UnknownOptions(const QStringList& known) const
{
    QStringList unknown;
    for (const auto& option : m_options) {
        if (!known.contains(option.first))
            unknown << QStringLiteral("--") + option.first;
    }
    return unknown;
}

QStringList CliArguments::UnknownFlags(const QStringList& known) const
{
    QStringList unknown;
    for (const QString& flag : m_flags) {
        if (flag != QLatin1String("json") && flag != QLatin1String("help") && !known.contains(flag))
            unknown << QStringLiteral("--") + flag;
    }
    return unknown;
}

const QString& CliArguments::Problem() const
{
    return m_problem;
}

QStringList CliArguments::FolderOptions()
{
    QStringList options;
    for (const FolderOption& folder : kFolderOptions)
        options << QStringLiteral("--%1 DIR").arg(QLatin1String(folder.option));
    return options;
}
