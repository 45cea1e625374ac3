#include "apps/cli/CliArguments.h"

namespace {

struct FolderOption
{
    const char* option;
    const char* variable;
};

constexpr FolderOption kFolderOptions[] = {
    {"--app-dir", "QOV_APP_DIR"},
    {"--config-dir", "QOV_CONFIG_DIR"},
    {"--work-dir", "QOV_WORK_DIR"},
};

} // namespace

std::optional<CliArguments> CliArguments::Parse(int argc, char** argv, QString& error)
{
    CliArguments parsed;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        if (!word.startsWith(QLatin1String("--")) || word == QLatin1String("--")) {
            if (parsed.m_command.isEmpty())
                parsed.m_command = word;
            else
                parsed.m_positional << word;
            continue;
        }
        QString name = word;
        QString value;
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq > 0) {
            name = word.left(eq);
            value = word.mid(eq + 1);
        } else if (i + 1 < argc) {
            value = QString::fromLocal8Bit(argv[++i]);
        } else {
            error = QStringLiteral("option %1 needs a value").arg(word);
            return std::nullopt;
        }
        bool global = false;
        for (const FolderOption& folder : kFolderOptions) {
            if (name == QLatin1String(folder.option)) {
                qputenv(folder.variable, value.toLocal8Bit());
                global = true;
            }
        }
        if (!global)
            parsed.m_options.append({name.mid(2), value});
    }
    return parsed;
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
    for (const auto& option : m_options) {
        if (option.first == name)
            return option.second;
    }
    return std::nullopt;
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

QString UsageText()
{
    return QStringLiteral(
        "usage: qovaigc [--app-dir DIR] [--config-dir DIR] [--work-dir DIR] COMMAND ...\n"
        "\n"
        "commands:\n"
        "  write TOPIC                       generate text for TOPIC; prints the text file's path\n"
        "  history TOOL [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
        "                                    list the task log of TOOL (painting, dubbing,\n"
        "                                    subtitles, copywriting): task id, source, files\n"
        "  dub TEXT [--voice N] [--speed 0-15] [--pitch 0-15] [--volume 0-15] [--format mp3|wav]\n"
        "                                    speech for TEXT; prints the audio file's path\n"
        "  paint PROMPT [--size WxH] [--count 1-8] [--reference FILE]\n"
        "                                    images for PROMPT (default 640x360, 4); prints the\n"
        "                                    path of every image that passed review\n"
        "  extract SOURCE DEST [--start S] [--end E] [--codec mp3|pcm] [--channels 1|2]\n"
        "                  [--rate 16000|8000] [--bits 16|8]\n"
        "                                    the audio of SOURCE into DEST (seconds S to E;\n"
        "                                    defaults: whole file, mp3, 1 channel, 16000 Hz, 16-bit)\n"
        "  duration FILE                     seconds of FILE's first audio stream (-1: cannot\n"
        "                                    open, -2: no audio)\n"
        "\n"
        "dub and paint wait at most --timeout S seconds (default 600) for the service's task.\n"
        "The folder options override QOV_APP_DIR, QOV_CONFIG_DIR and QOV_WORK_DIR.\n");
}
