// qovaigc translate: captions translated beside their input through a scripted chat service named
// by the [Translate] section, the summary and --json, the kept batches of a rerun, and the
// failures, none leaving a file.
#include "LocalServices.h"
#include "TranslationScript.h"

#include "mediakit/SrtReader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QByteArray kTalk = "1\r\n00:00:01,000 --> 00:00:04,000\r\nHello there,\r\nmy friend.\r\n\r\n"
                         "2\r\n00:00:04,500 --> 00:00:05,500\r\nThe dog runs.\r\n\r\n"
                         "3\r\n00:00:06,000 --> 00:00:09,000\r\nSee you.\r\n\r\n";

class TranslateCommand : public LocalServices
{
protected:
    void SetUp() override
    {
        LocalServices::SetUp();
        QString settings = ServiceSettings(QStringLiteral("http://127.0.0.1:%1").arg(m_port), {},
                                           QString::fromStdString(EmulatorOptions{}.clientSecret));
        settings += QStringLiteral("[Translate]\nURL=%1\n").arg(QString::fromStdString(m_chat.Url(TestEnvironment::kChatPath)));
        TestEnvironment::WriteSettings(m_folders.App(), settings);
    }

    QStringList Files() const { return QDir(m_folders.Root()).entryList(QDir::Files, QDir::Name); }

    FakeServer m_chat;
};

TEST_F(TranslateCommand, WritesOneTranslatedCaptionForEachBesideTheInputAndARerunAsksNothing)
{
    TranslationScript script(m_chat);
    const QString input = Write("talk.srt", kTalk);
    const QString glossary = Write("terms.tsv", "dog\tes:The dog\n");
    const Outcome first = Run({"translate", input, "--to", "es", "--glossary", glossary});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, Path("talk.es.srt") + '\n');
    EXPECT_EQ(first.err, "3 captions translated in 1 request\n");
    const auto asked = script.Requests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].content.value("source_language").toString(), "en") << "guessed from the words";
    EXPECT_EQ(asked[0].texts, QStringList({"Hello there, my friend.", "The dog runs.", "See you."}));

    std::vector<Caption> written;
    QString error;
    ASSERT_TRUE(SrtReader::Read(Path("talk.es.srt"), written, error)) << error.toStdString();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0].start, 1000);
    EXPECT_EQ(written[0].end, 4000);
    EXPECT_EQ(written[0].text, "es:Hello there, my friend.");
    EXPECT_EQ(written[1].text, "es:The dog runs.");
    EXPECT_EQ(written[2].start, 6000);

    // The same input and options again: every batch is kept, the name taken gets the next number.
    const QJsonObject again = JsonOf(Run({"translate", input, "--to", "es", "--glossary", glossary, "--json"}));
    EXPECT_EQ(again.value("path").toString(), Path("talk.es_2.srt"));
    EXPECT_EQ(again.value("requests").toInt(), 0);
    EXPECT_EQ(again.value("retried").toInt(), 0);
    EXPECT_EQ(script.Requests().size(), 1u);
    const QJsonArray captions = again.value("captions").toArray();
    ASSERT_EQ(captions.size(), 3);
    const QJsonObject second = captions[1].toObject();
    EXPECT_EQ(second.value("id").toString(), "2");
    EXPECT_EQ(second.value("chars").toInt(), 16);
    EXPECT_DOUBLE_EQ(second.value("cps").toDouble(), 16.0);
    EXPECT_EQ(second.value("too_long").toBool(), false);
    EXPECT_EQ(second.value("glossary_misses").toArray(), QJsonArray());

    // Both runs in the translation log, each with its source and its result.
    QByteArray logged;
    const QDir logs(m_folders.App() + QStringLiteral("/AppLocalFiles/AILog/AI翻译"));
    for (const QString& file : logs.entryList(QDir::Files))
        logged += ReadBytes(logs.filePath(file));
    EXPECT_EQ(logged.count(("SrcInfo=" + input).toUtf8()), 2) << logged.toStdString();
    EXPECT_TRUE(logged.contains(Path("talk.es_2.srt").toUtf8())) << logged.toStdString();
}

TEST_F(TranslateCommand, TheSummaryNamesWhatWasAskedAgainMissedAndTooLong)
{
    // A model that never uses the glossary's term and runs long on the short caption.
    TranslationScript script(m_chat, [](int, const TranslationScript::Asked& asked) {
        QJsonArray lines;
        for (qsizetype i = 0; i < asked.ids.size(); ++i)
            lines.append(QJsonObject{{"id", asked.ids[i]},
                                     {"text", asked.ids[i] == "2" ? QString(60, 'x') : "es:" + asked.texts[i]}});
        return TranslationScript::Json({{"lines", lines}});
    });
    const QString input = Write("talk.srt", kTalk);
    const QString glossary = Write("terms.tsv", "# pets\nDOG\tperro\n");
    const Outcome outcome = Run({"translate", input, "--to", "es", "--from", "en", "--glossary", glossary});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err, "3 captions translated in 2 requests; 1 asked again; 1 glossary miss (caption 2: \"perro\"); "
                           "1 over its reading speed (caption 2)\n");
}

TEST_F(TranslateCommand, PastTenCaptionsTheSummaryCountsTheRest)
{
    TranslationScript script(m_chat, [](int, const TranslationScript::Asked& asked) {
        QJsonArray lines;
        for (const QString& id : asked.ids)
            lines.append(QJsonObject{{"id", id}, {"text", QString(60, 'x')}});
        return TranslationScript::Json({{"lines", lines}});
    });
    QByteArray srt;
    for (int i = 1; i <= 12; ++i)
        srt += QStringLiteral("%1\n00:00:%2,000 --> 00:00:%2,900\nLine %1.\n\n").arg(i).arg(i, 2, 10, QChar('0')).toUtf8();
    const Outcome outcome = Run({"translate", Write("many.srt", srt), "--to", "es"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err, "12 captions translated in 2 requests; 12 asked again; 12 over their reading speed "
                           "(captions 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more)\n");
}

TEST_F(TranslateCommand, FailuresSayWhyAndLeaveNoFile)
{
    m_chat.Reply("POST", TestEnvironment::kChatPath, 200, R"({"error_code":336003,"error_msg":"bad"})");
    const QString input = Write("talk.srt", kTalk);
    const struct
    {
        QStringList arguments;
        int exitCode;
        QString says;
    } cases[] = {
        {{input, "--to", "es"}, 1, "captions 1 to 3: the translation service cannot translate en into es\n"},
        {{input}, 2, "--to needs the language"},
        {{input, "--to", "Spanish"}, 2, "Spanish is not a language's two-letter code"},
        {{input, "--to", "en"}, 2, "the captions are in en already"},
        {{input, "--to", "es", "--glossary", Path("none.tsv")}, 1, "cannot read the glossary " + Path("none.tsv")},
        {{input, "--to", "es", "--output", input}, 2, "--output names INPUT itself"},
        {{Path("none.srt"), "--to", "es"}, 1, "cannot open " + Path("none.srt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome outcome = Run(QStringList{"translate"} + c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_TRUE(outcome.err.contains(c.says)) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.isEmpty());
        EXPECT_EQ(Files(), QStringList{"talk.srt"});
    }
}

TEST_F(TranslateCommand, ACharacterSetThatCannotBeToldIsNamedWithEncoding)
{
    TranslationScript script(m_chat);
    const QString unsure = Write("unsure.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\ncaf\xFF\xFE\x80\x81\r\n");
    const Outcome refused = Run({"translate", unsure, "--to", "es"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("which character set it is in cannot be told")) << refused.err.toStdString();
    EXPECT_TRUE(script.Requests().empty());

    const Outcome named = Run({"translate", unsure, "--to", "es", "--from", "ru", "--encoding", "KOI8-R"});
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].texts, QStringList{QStringLiteral("cafЪЧ─│")});
}

TEST_F(TranslateCommand, ABatchThatTakesTooLongFailsNamingItsCaptions)
{
    m_chat.Stall("POST", TestEnvironment::kChatPath);
    const QString input = Write("talk.srt", kTalk);
    const Outcome outcome = Run({"translate", input, "--to", "es", "--timeout", "1"});
    m_chat.ReleaseStalls();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "captions 1 to 3: no translation came within 1 s\n");
    EXPECT_EQ(Files(), QStringList{"talk.srt"});
}

TEST_F(TranslateCommand, CtrlCStopsTheRequestsAndLeavesNothing)
{
    m_chat.Stall("POST", TestEnvironment::kChatPath);
    const QString input = Write("talk.srt", kTalk);
    PtyProcess process(QOVAIGC_BIN, WithFolders({"translate", input, "--to", "es"}), Environment());
    ASSERT_TRUE(process.Started());
    const bool asked = process.WaitFor("translat", 60s);
    EXPECT_TRUE(asked) << process.Output().toStdString();
    process.TypeInterrupt();
    EXPECT_EQ(process.Finish(60s), 130) << process.Output().toStdString();
    EXPECT_EQ(Files(), QStringList{"talk.srt"});
    m_chat.ReleaseStalls();
}

} // namespace

namespace {

class TranslateLocally : public LocalServices
{
};

// The local chat service translates with Apertium: English captions come back in Spanish.
TEST_F(TranslateLocally, EnglishCaptionsBecomeSpanishThroughTheLocalServices)
{
    const QString input = Write("talk.srt", kTalk);
    const Outcome outcome = Run({"translate", input, "--to", "es"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    std::vector<Caption> written;
    QString error;
    ASSERT_TRUE(SrtReader::Read(Path("talk.es.srt"), written, error)) << error.toStdString();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_TRUE(written[0].text.contains("amigo")) << written[0].text.toStdString();
    EXPECT_TRUE(written[1].text.contains("perro")) << written[1].text.toStdString();
    EXPECT_EQ(written[2].start, 6000);
}

// Real translations of varied captions are taken as they come: none looks swapped, none missing.
TEST_F(TranslateLocally, VariedCaptionsAreNeverAskedAgain)
{
    QFile lines(QOV_ENGLISH_CAPTIONS);
    ASSERT_TRUE(lines.open(QIODevice::ReadOnly));
    QByteArray srt;
    int number = 0;
    for (const QByteArray& line : lines.readAll().split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        // Nine seconds each: time enough that no translation is asked again for its length.
        const auto time = [](int seconds) {
            return QStringLiteral("00:%1:%2,000").arg(seconds / 60, 2, 10, QChar('0')).arg(seconds % 60, 2, 10, QChar('0'));
        };
        const int start = number * 10;
        srt += QStringLiteral("%1\n%2 --> %3\n").arg(++number).arg(time(start), time(start + 9)).toUtf8() +
               line.trimmed() + "\n\n";
    }
    const QString input = Write("varied.srt", srt);
    const QJsonObject json = JsonOf(Run({"translate", input, "--to", "es", "--json"}));
    ASSERT_TRUE(json.value("ok").toBool()) << json.value("error").toString().toStdString();
    EXPECT_EQ(json.value("requests").toInt(), (number + 39) / 40);
    EXPECT_EQ(json.value("retried").toInt(), 0);
}

TEST_F(TranslateLocally, APairTheServiceCannotTranslateIsNamed)
{
    const QString input = Write("talk.srt", kTalk);
    const Outcome outcome = Run({"translate", input, "--to", "de"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "captions 1 to 3: the translation service cannot translate en into de\n");
}

// Each way the local chat service can spoil an answer is caught and mended by asking again for
// what went wrong, and only that.
TEST_F(TranslateLocally, SpoiledAnswersAreAskedAgainForWhatWentWrong)
{
    // Time enough for every caption that no translation runs over its reading speed.
    const QString input = Write("slow.srt", "1\n00:00:01,000 --> 00:00:05,000\nHello there, my friend.\n\n"
                                            "2\n00:00:05,000 --> 00:00:09,000\nThe dog runs.\n\n"
                                            "3\n00:00:09,000 --> 00:00:13,000\nSee you.\n\n");
    const QString glossary = Write("terms.tsv", "friend\tcompañero\n");
    const struct
    {
        const char* fault;
        int retried;
        int requests;
    } cases[] = {
        {"drop_line", 1, 2},
        {"repeat_id", 1, 2},
        {"prose", 3, 3},
        {"drop_glossary", 1, 2},
        // Ids swapped are each answered once: only the glossary term now missing from the first
        // line gives the swap away.
        {"swap_ids", 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        SetFault("chat", std::string(R"({"answer":")") + c.fault + R"("})");
        // The kept batches forgotten, as the README tells a user to, so that each run asks.
        ASSERT_TRUE(QDir(m_folders.Work() + "/Translate/cache").removeRecursively());
        const QString output = Path(QStringLiteral("%1.srt").arg(c.fault));
        const QJsonObject json = JsonOf(
            Run({"translate", input, "--to", "es", "--glossary", glossary, "--output", output, "--json"}));
        ASSERT_TRUE(json.value("ok").toBool()) << json.value("error").toString().toStdString();
        EXPECT_EQ(json.value("retried").toInt(), c.retried);
        EXPECT_EQ(json.value("requests").toInt(), c.requests);
        EXPECT_TRUE(ReadBytes(output).contains("compañero")) << ReadBytes(output).toStdString();
    }
}

} // namespace
