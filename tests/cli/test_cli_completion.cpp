#include "CliFixture.h"
#include "service/ToolTable.h"

#include <QJsonArray>
#include <QProcess>

#include <gtest/gtest.h>

#include <set>

namespace {

using Words = std::set<QString>;

Words WordsOf(const QString& text)
{
    const QStringList lines = Lines(text);
    return Words(lines.begin(), lines.end());
}

class Completion : public CommandLine
{
protected:
    // What bash offers for the last of words (the word being typed), with the completion file.
    Words Complete(const QStringList& words)
    {
        QProcess bash;
        const QString script = QStringLiteral(
            "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; "
            "_qovaigc 2>/dev/null; printf '%s\\n' \"${COMPREPLY[@]}\"");
        bash.start(QStringLiteral("bash"), QStringList{QStringLiteral("-c"), script, QStringLiteral("bash"),
                                                       QStringLiteral(QOVAIGC_COMPLETION), QStringLiteral("qovaigc")} +
                                               words);
        if (!bash.waitForFinished(30000) || bash.exitCode() != 0)
            return {QStringLiteral("<bash failed: %1>").arg(QString::fromUtf8(bash.readAllStandardError()))};
        return WordsOf(QString::fromUtf8(bash.readAllStandardOutput()));
    }
};

TEST_F(Completion, OffersEveryCommandAndEachCommandsOwnOptions)
{
    const QJsonObject description = JsonOf(Run({QStringLiteral("help"), QStringLiteral("--json")}));
    Words commands;
    Words global;
    for (const QJsonValue& option : description.value(QStringLiteral("global_options")).toArray())
        global.insert(option.toString());
    ASSERT_EQ(global.size(), 3u);
    for (const QJsonValue& entry : description.value(QStringLiteral("commands")).toArray()) {
        const QString name = entry.toObject().value(QStringLiteral("name")).toString();
        commands.insert(name);
        Words options = global;
        for (const QJsonValue& option : entry.toObject().value(QStringLiteral("options")).toArray())
            options.insert(option.toString());
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(Complete({name, QStringLiteral("--")}), options);
        EXPECT_EQ(Complete({QStringLiteral("--work-dir"), QStringLiteral("/tmp"), name, QStringLiteral("x"),
                            QStringLiteral("--")}),
                  options)
            << "a folder option before the command is skipped with its value";
    }
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(Complete({QString()}), commands);
    EXPECT_EQ(Complete({QStringLiteral("help"), QString()}), commands);
    EXPECT_EQ(Complete({QStringLiteral("d")}), (Words{QStringLiteral("dub"), QStringLiteral("duration")}));
}

TEST_F(Completion, EveryToolAndOptionValueOfferedIsOneTheCommandTakes)
{
    const Words tools = Complete({QStringLiteral("history"), QString()});
    EXPECT_EQ(tools.size(), ToolTable::Rows().size());
    Words commandNames;
    for (const ToolRow& row : ToolTable::Rows())
        commandNames.insert(QString::fromLatin1(row.commandName));
    EXPECT_EQ(tools, commandNames) << "the completion file lists its tools itself: every row's, no other";
    for (const QString& tool : tools)
        EXPECT_EQ(Run({QStringLiteral("history"), tool}).exitCode, 0) << tool.toStdString();
    EXPECT_TRUE(Complete({QStringLiteral("history"), QStringLiteral("painting"), QString()}).empty());

    struct Case
    {
        QStringList command; // runs with a value offered for option appended; not a usage error
        const char* option;
        size_t offered;
    };
    const QString missing = m_folders.Root() + QStringLiteral("/none.mp4");
    const QString destination = m_folders.Root() + QStringLiteral("/a.mp3");
    const Case cases[] = {
        {{"extract", missing, destination}, "--codec", 2},
        {{"extract", missing, destination}, "--channels", 2},
        {{"extract", missing, destination}, "--rate", 2},
        {{"extract", missing, destination}, "--bits", 2},
        {{"dub", "x", "--timeout", "0"}, "--format", 2},
        {{"paint", "x", "--timeout", "0"}, "--size", 2},
        {{"subtitles", missing, "--timeout", "0"}, "--engine", 2},
        {{"subtitles", missing, "--timeout", "0"}, "--model", 3},
        {{"captions", missing}, "--format", 3},
        {{"subtitles", missing, "--timeout", "0"}, "--format", 3},
    };
    for (const Case& c : cases) {
        const QString option = QString::fromLatin1(c.option);
        SCOPED_TRACE(option.toStdString());
        const Words values = Complete({c.command.front(), option, QString()});
        EXPECT_EQ(values.size(), c.offered);
        EXPECT_EQ(Complete({c.command.front(), option, QStringLiteral("=")}), values) << "--option=value too";
        for (const QString& value : values) {
            // The bad --timeout makes dub and paint stop at their usage check: the sentence must be
            // about the timeout, not the offered value.
            const Outcome outcome = Run(c.command + QStringList{option, value});
            const QString sentence = outcome.err.section(QLatin1Char('\n'), 0, 0);
            EXPECT_FALSE(sentence.isEmpty());
            EXPECT_FALSE(sentence.contains(option)) << value.toStdString() << ": " << sentence.toStdString();
        }
    }
}

TEST_F(Completion, FilesWhereAnArgumentNamesOne)
{
    const QString prefix = m_folders.Root() + QStringLiteral("/clip");
    for (const char* name : {"clip one.mp4", "clip two.wav"}) {
        QFile file(m_folders.Root() + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const Words both{prefix + QStringLiteral(" one.mp4"), prefix + QStringLiteral(" two.wav")};
    // A name with a space stays one word. Sources after sources: subtitles takes any number,
    // extract with --output-dir.
    const QList<QStringList> namingAFile = {
        {"extract"}, {"extract", "a.mp4"}, {"duration"}, {"subtitles"}, {"captions"},
        {"captions", "a.srt", "--output"}, {"subtitles", "a.mp4"},
        {"extract", "--output-dir", "o", "a.mp4", "b.mp4"}, {"dub", "--from"}, {"paint", "x", "--reference"}};
    for (const QStringList& typed : namingAFile)
        EXPECT_EQ(Complete(typed + QStringList{prefix}), both) << typed.join(' ').toStdString();
    for (const QStringList& typed : QList<QStringList>{{"extract", "a.mp4", "b.mp3"}, {"history", "dubbing", "--from"}})
        EXPECT_TRUE(Complete(typed + QStringList{prefix}).empty()) << typed.join(' ').toStdString();
}

} // namespace
