#include "CliFixture.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

class Usage : public CommandLine
{
protected:
    // The usage line each command reports in its machine-readable description.
    QString UsageLineOf(const QString& command)
    {
        const QJsonObject help = JsonOf(Run({QStringLiteral("help"), command, QStringLiteral("--json")}));
        return help.value(QStringLiteral("usage")).toString();
    }
};

TEST_F(Usage, AnErrorPrintsOneSentenceAndTheCommandsOwnUsageLine)
{
    struct Case
    {
        QStringList arguments;
        const char* problem; // the sentence after "qovaigc COMMAND: "
    };
    const Case cases[] = {
        {{"write"}, "write takes one TOPIC (quote it when it has spaces) or --from FILE, not 0 words"},
        {{"write", "a", "b"}, "write takes one TOPIC (quote it when it has spaces) or --from FILE, not 2 words"},
        {{"write", "  "}, "the TOPIC is empty"},
        {{"write", "x", "--timeout", "0"}, "--timeout takes a whole number from 1 to 86400, not 0"},
        {{"history", "nosuchtool"},
         "there is no tool nosuchtool; the tools are painting, dubbing, subtitles, copywriting, translate"},
        {{"history", "dubbing", "--from", "2024/01/01"}, "--from takes a date written YYYY-MM-DD, not 2024/01/01"},
        {{"history", "dubbing", "--since", "x"}, "--since is not an option of history"},
        {{"history", "dubbing", "--to"}, "--to needs a value"},
        {{"dub", "x", "--speed", "16"}, "--speed takes a whole number from 0 to 15, not 16"},
        {{"dub", "x", "--pitch=-1"}, "--pitch takes a whole number from 0 to 15, not -1"},
        {{"dub", "x", "--volume", "16"}, "--volume takes a whole number from 0 to 15, not 16"},
        {{"dub", "--srt", "a.srt", "--output", "./a.srt"},
         "--output names the subtitle file itself; the track needs a file of its own"},
        {{"dub", "--srt", "a.srt", "--from", "b.txt"}, "--srt and --from are two kinds of input: give one"},
        {{"paint"}, "paint takes one PROMPT (quote it when it has spaces) or --from FILE, not 0 words"},
        {{"dub", "x", "--format", "ogg"}, "--format takes mp3 or wav, not ogg"},
        {{"dub", "x", "--json=yes"}, "--json takes no value"},
        {{"paint", "x", "--count", "9"}, "--count takes a whole number from 1 to 8, not 9"},
        {{"paint", "x", "--size", "big"}, "--size takes WIDTHxHEIGHT such as 1024x1024, not big"},
        {{"extract", "a.mp4"}, "extract takes SOURCE and DEST, or SOURCE... with --output-dir DIR, not 1 words"},
        {{"extract", "a.mp4", "b.mp3", "--rate", "44100"}, "--rate takes 16000 or 8000, not 44100"},
        {{"extract", "a.mp4", "b.mp3", "--start", "1.5"}, "--start takes a whole number of 0 or more, not 1.5"},
        {{"extract", "a.mp4", "b.mp3", "--bits", "24"}, "--bits takes 16 or 8, not 24"},
        // An empty or reversed range is refused before anything is read or named after it.
        {{"extract", "a.mp4", "b.mp3", "--start", "5", "--end", "3"},
         "the range is empty: its end (3 s) is not after its start (5 s)"},
        {{"subtitles", "a.mp3", "--start", "5", "--end", "2"},
         "the range is empty: its end (2 s) is not after its start (5 s)"},
        {{"subtitles", "a.mp3", "--start", "1.5", "--end", "1.5"},
         "the range is empty: its end (1.5 s) is not after its start (1.5 s)"},
        {{"duration"}, "duration takes one FILE, not 0 words"},
        {{"duration", "a", "--codec", "mp3"}, "--codec is not an option of duration"},
        {{"help", "nosuch"}, "there is no command nosuch"},
        {{"account", "--id", "a", "--key", "k1\nk2"},
         "--id and --key hold no line breaks, tabs or other control characters"},
    };
    for (const Case& c : cases) {
        const QString command = c.arguments.front();
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_TRUE(outcome.out.isEmpty());
        const QStringList lines = Lines(outcome.err);
        ASSERT_EQ(lines.size(), 2) << outcome.err.toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("qovaigc %1: %2").arg(command, QString::fromUtf8(c.problem)));
        EXPECT_EQ(lines[1], UsageLineOf(command));
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("usage: qovaigc ") + command + QLatin1Char(' ')));
    }
}

TEST_F(Usage, WithoutAKnownCommandTheGlobalUsageNamesTheCommands)
{
    const QList<QStringList> cases = {{}, {QStringLiteral("paintx")}, {QStringLiteral("--work-dir")}};
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_TRUE(outcome.out.isEmpty());
        const QStringList lines = Lines(outcome.err);
        ASSERT_EQ(lines.size(), 3) << outcome.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("qovaigc: ")));
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("usage: qovaigc [--app-dir DIR]")));
        EXPECT_EQ(lines[2], QStringLiteral("commands: write, history, dub, paint, extract, duration, subtitles, "
                                           "captions, translate, mux, localize, account, help (qovaigc help COMMAND tells more)"));
    }
}

TEST_F(Usage, HelpGoesToStandardOutputWholeOrForOneCommand)
{
    const Outcome page = Run({QStringLiteral("help")});
    EXPECT_EQ(page.exitCode, 0);
    EXPECT_TRUE(page.err.isEmpty());
    EXPECT_EQ(Run({QStringLiteral("--help")}).out, page.out);

    const QJsonObject description = JsonOf(Run({QStringLiteral("help"), QStringLiteral("--json")}));
    const QJsonArray commands = description.value(QStringLiteral("commands")).toArray();
    ASSERT_EQ(commands.size(), 13);
    for (const QJsonValue& entry : commands) {
        const QString name = entry.toObject().value(QStringLiteral("name")).toString();
        const QString usage = entry.toObject().value(QStringLiteral("usage")).toString();
        SCOPED_TRACE(name.toStdString());
        // The page shows each command's synopsis, the usage line without its "usage: qovaigc".
        const QString synopsis =
            usage.mid(QStringLiteral("usage: qovaigc ").size()).remove(QStringLiteral(" [--json]"));
        EXPECT_TRUE(page.out.contains(QStringLiteral("\n  ") + synopsis + QLatin1Char('\n'))) << synopsis.toStdString();
        const QList<QStringList> asks{{name, QStringLiteral("--help")}, {name, QStringLiteral("-h")},
                                      {QStringLiteral("help"), name}};
        for (const QStringList& asked : asks) {
            const Outcome help = Run(asked);
            EXPECT_EQ(help.exitCode, 0);
            EXPECT_EQ(help.out.section(QLatin1Char('\n'), 0, 0), usage);
            EXPECT_LT(help.out.size(), page.out.size() / 2) << "one command's help, not the page";
        }
    }
}

TEST_F(Usage, DoubleDashEndsTheOptions)
{
    // A text that begins with dashes is spoken, not taken for an option.
    const Outcome outcome = Run({QStringLiteral("dub"), QStringLiteral("--json"), QStringLiteral("--"),
                                 QStringLiteral("--hello")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(JsonOf(outcome).value(QStringLiteral("ok")).toBool());
}

} // namespace
