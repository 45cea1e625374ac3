// What a run that works prints, plain and as --json, and what the history then lists.
#include "CliFixture.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QStringList Strings(const QJsonValue& array)
{
    QStringList strings;
    for (const QJsonValue& value : array.toArray())
        strings << value.toString();
    return strings;
}

TEST_F(CommandLine, EachToolPrintsItsFilesAndTheHistoryListsEveryRun)
{
    const struct
    {
        QStringList arguments;
        const char* tool;
        const char* folder; // under the work folder
        int files;
        QStringList fields; // members of the JSON object besides the files
        const char* after;  // after each file in a plain history line
        int taskIdLength;
    } cases[] = {
        {{"write", "为新品发布会写一段开场白"}, "copywriting", "Copywriting", 1, {"topic", "text"}, "", 36},
        {{"dub", "欢迎使用智能配音", "--format", "wav"}, "dubbing", "AIAudio", 1, {"format", "mode", "speed"}, "", 36},
        {{"paint", "雪山下的湖泊", "--size", "512x512", "--count", "2"},
         "painting",
         "AIImage",
         2,
         {"task_id", "width", "count"},
         "|",
         16},
    };
    QString text; // the copywriting's
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front().toStdString());
        const Outcome plain = Run(c.arguments);
        ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
        EXPECT_TRUE(plain.err.isEmpty()) << plain.err.toStdString();
        const QStringList printed = plain.out.split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(plain.out, printed.join('\n') + '\n') << "the paths alone, one a line";

        const Outcome json = Run(c.arguments + QStringList{"--json"});
        ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
        const QJsonObject object = JsonOf(json);
        ASSERT_FALSE(object.isEmpty()) << "one JSON object alone on standard output: " << json.out.toStdString();
        EXPECT_TRUE(object.value("ok").toBool());
        EXPECT_EQ(object.value("command").toString(), c.arguments.front());
        for (const QString& field : c.fields)
            EXPECT_TRUE(object.contains(field)) << field.toStdString();
        QStringList paths = Strings(object.value("paths"));
        if (object.value("path").isString())
            paths << object.value("path").toString();

        EXPECT_EQ(printed.size(), c.files);
        EXPECT_EQ(paths.size(), c.files);
        for (const QString& path : printed + paths) {
            EXPECT_TRUE(path.startsWith(m_folders.Work() + '/' + QLatin1String(c.folder) + '/')) << path.toStdString();
            EXPECT_TRUE(QFileInfo(path).isFile() && QFileInfo(path).size() > 0) << path.toStdString();
        }
        const QList<QStringList> made = {printed, paths};
        if (c.arguments.front() == "write")
            text = QString::fromUtf8(ReadBytes(paths.value(0)));

        // Both runs, each with its task, its source and its own files.
        const QString tool = QString::fromLatin1(c.tool);
        const Outcome listed = Run({"history", tool});
        ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
        const QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << listed.out.toStdString();
        QStringList filesListed;
        for (const QStringList& files : made)
            filesListed << files.join(QLatin1String(c.after)) + QLatin1String(c.after);
        for (const QString& line : lines) {
            const QStringList fields = line.split('\t');
            ASSERT_EQ(fields.size(), 3) << line.toStdString();
            EXPECT_EQ(fields[0].size(), c.taskIdLength);
            EXPECT_EQ(fields[1], c.arguments[1]);
            EXPECT_TRUE(filesListed.removeOne(fields[2])) << line.toStdString();
        }

        const QJsonObject history = JsonOf(Run({"history", tool, "--json"}));
        EXPECT_EQ(history.value("tool").toString(), tool);
        const QJsonArray records = history.value("records").toArray();
        ASSERT_EQ(records.size(), 2);
        QList<QStringList> recorded;
        for (const QJsonValue& record : records) {
            EXPECT_EQ(record.toObject().value("source").toString(), c.arguments[1]);
            EXPECT_EQ(record.toObject().value("task_id").toString().size(), c.taskIdLength);
            recorded << Strings(record.toObject().value("files"));
        }
        EXPECT_TRUE(std::is_permutation(recorded.begin(), recorded.end(), made.begin(), made.end()));
    }

    EXPECT_GT(text.size(), 20);
    EXPECT_TRUE(text.contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]"))) << "a Chinese topic gets Chinese text";
    const Outcome past = Run({"history", "copywriting", "--from", "2001-01-01", "--to", "2001-01-31"});
    EXPECT_EQ(past.exitCode, 0);
    EXPECT_TRUE(past.out.isEmpty()) << "a range before the runs lists nothing";
    EXPECT_TRUE(Run({"history", "subtitles"}).out.isEmpty()) << "no other tool's record";
}

} // namespace
