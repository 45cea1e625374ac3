#include "TranslationScript.h"

#include "support/Delivery.h"
#include "support/TestEnvironment.h"
#include "translation/CaptionTranslation.h"
#include "translation/TranslationBatchTask.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace std::chrono_literals;
using Asked = TranslationScript::Asked;

std::vector<Caption> Captions(const QStringList& texts, int32_t milliseconds = 3000)
{
    std::vector<Caption> captions;
    for (qsizetype i = 0; i < texts.size(); ++i)
        captions.push_back({int(i) + 1, int32_t(i) * milliseconds, int32_t(i + 1) * milliseconds, texts[i], {}});
    return captions;
}

QStringList Numbered(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << QStringLiteral("line %1").arg(i);
    return texts;
}

class Translation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("chat-token");
        m_settings.from = QStringLiteral("en");
        m_settings.to = QStringLiteral("es");
        m_settings.jobs = 1;
        m_settings.cacheFolder = m_cache.path();
    }

    TaskEnd Run(CaptionTranslation& translation, const std::vector<Caption>& captions)
    {
        QString error;
        EXPECT_TRUE(translation.Prepare(captions, m_settings, error)) << error.toStdString();
        std::optional<TaskEnd> end;
        QObject::connect(&translation, &Task::ended, &translation, [&](const TaskEnd& done) { end = done; });
        EXPECT_TRUE(translation.Start());
        DeliverUntil(&translation, [&] { return end.has_value(); }, 40s);
        return end.value_or(TaskEnd::Failure(TaskError::Kind::None, 0, QStringLiteral("no end")));
    }

    QStringList Texts(const CaptionTranslation& translation)
    {
        QStringList texts;
        for (const CaptionTranslation::Translated& caption : translation.Results())
            texts << caption.text;
        return texts;
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_cache;
    CaptionTranslation::Settings m_settings;
};

QJsonObject Line(const QString& id, const QString& text)
{
    return {{QStringLiteral("id"), id}, {QStringLiteral("text"), text}};
}

struct ReplyCase
{
    const char* name;
    // The first reply to the batch; every later request is answered faithfully.
    std::function<std::string(const Asked&)> first;
    std::vector<QStringList> askedAfter; // the ids of each later request
    QStringList sources = {"one", "two", "three"};
};

TEST_F(Translation, RepliesGoneWrongAreReadOrAskedAgainForWhatIsMissingOnly)
{
    const auto lines = [](std::initializer_list<QJsonObject> items) {
        QJsonArray array;
        for (const QJsonObject& item : items)
            array.append(item);
        return TranslationScript::Json({{QStringLiteral("lines"), array}});
    };
    const QString one = QStringLiteral("es:one"), two = QStringLiteral("es:two"), three = QStringLiteral("es:three");
    const ReplyCase cases[] = {
        {"dropped", [&](const Asked&) { return lines({Line("1", one), Line("3", three)}); }, {{"2"}}},
        {"out of order", [&](const Asked&) { return lines({Line("3", three), Line("1", one), Line("2", two)}); }, {}},
        {"repeated id", [&](const Asked&) {
             return lines({Line("1", one), Line("2", two), Line("2", one), Line("3", three)});
         }, {{"2"}}},
        {"prose", [](const Asked&) { return std::string("I am sorry, I cannot help with that."); }, {{"1", "2"}, {"3"}}},
        {"fenced", [](const Asked& asked) {
             return "```json\n" + TranslationScript::Json(TranslationScript::Faithful(asked)) + "\n```";
         }, {}},
        {"words around", [](const Asked& asked) {
             return "Here are the lines {as asked}:\n" + TranslationScript::Json(TranslationScript::Faithful(asked)) +
                    "\nDone {}.";
         }, {}},
        {"unknown id and number id", [&](const Asked&) {
             return lines({Line("1", one), {{"id", 2}, {"text", two}}, Line("3", three), Line("99", "es:extra")});
         }, {}},
        {"empty text", [&](const Asked&) { return lines({Line("1", one), Line("2", " "), Line("3", three)}); }, {{"2"}}},
        {"swapped ids", [&](const Asked& asked) {
             return lines({Line("1", "es:" + asked.texts[1]), Line("2", "es:" + asked.texts[0]),
                           Line("3", "es:" + asked.texts[2])});
         }, {{"1", "2"}}, {"Mix 500 grams of flour with 350 ml of water.", "Run!", "Call Peter at 9."}},
        {"distinct lines in place", [&](const Asked& asked) {
             return lines({Line("1", "es:" + asked.texts[0]), Line("2", "es:" + asked.texts[1]),
                           Line("3", "es:" + asked.texts[2])});
         }, {}, {"Mix 500 grams of flour with 350 ml of water.", "Run!", "Call Peter at 9."}},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_env.Server().Reset();
        m_env.GrantTokens("chat-token");
        TranslationScript script(m_env.Server(), [&](int call, const Asked& asked) {
            return call == 0 ? c.first(asked) : TranslationScript::Json(TranslationScript::Faithful(asked));
        });
        QTemporaryDir cache;
        m_settings.cacheFolder = cache.path();
        CaptionTranslation translation;
        const TaskEnd end = Run(translation, Captions(c.sources));
        ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
        QStringList faithful;
        for (const QString& source : c.sources)
            faithful << "es:" + source;
        EXPECT_EQ(Texts(translation), faithful);
        const auto requests = script.Requests();
        ASSERT_EQ(requests.size(), c.askedAfter.size() + 1);
        for (size_t i = 0; i < c.askedAfter.size(); ++i)
            EXPECT_EQ(requests[i + 1].ids, c.askedAfter[i]) << "request " << i + 1;
        EXPECT_EQ(translation.Requests(), int(requests.size()));
        qsizetype again = 0;
        for (const QStringList& ids : c.askedAfter)
            again += ids.size();
        EXPECT_EQ(translation.Retried(), int(again));
    }
}

TEST_F(Translation, ALineThatNeverComesBackFailsAfterTwoMoreTriesNamingItAndTheOthersAreNotAskedAgain)
{
    TranslationScript script(m_env.Server(), [](int, const Asked& asked) {
        QJsonObject answer = TranslationScript::Faithful(asked);
        QJsonArray kept;
        for (const QJsonValue& line : answer.value(QLatin1String("lines")).toArray()) {
            if (line.toObject().value(QLatin1String("id")).toString() != QLatin1String("4"))
                kept.append(line);
        }
        return TranslationScript::Json({{QStringLiteral("lines"), kept}});
    });
    CaptionTranslation translation;
    const TaskEnd end = Run(translation, Captions(Numbered(6)));
    ASSERT_TRUE(end.Failed());
    EXPECT_EQ(end.error.code, TranslationBatchTask::kLinesMissing);
    EXPECT_TRUE(end.error.text.contains(QStringLiteral("caption 4 "))) << end.error.text.toStdString();
    const auto requests = script.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].ids, QStringList{"4"});
    EXPECT_EQ(requests[2].ids, QStringList{"4"});
}

TEST_F(Translation, ABatchCarriesOnlyTheGlossaryEntriesItsLinesHoldAndAMissIsAskedOnceThenReported)
{
    QString error;
    ASSERT_TRUE(TranslationGlossary::Parse(QStringLiteral("# names\ncat\tgato\nDog\tperro  # the pet\n"),
                                           QStringLiteral("g.tsv"), m_settings.glossary, error));
    TranslationScript script(m_env.Server(), [](int, const Asked& asked) {
        // A model that will not use "perro".
        QJsonArray lines;
        for (qsizetype i = 0; i < asked.ids.size(); ++i)
            lines.append(Line(asked.ids[i], asked.texts[i].contains(QLatin1String("dog"), Qt::CaseInsensitive)
                                                ? QStringLiteral("el can")
                                                : QStringLiteral("es:") + asked.texts[i]));
        return TranslationScript::Json({{QStringLiteral("lines"), lines}});
    });
    CaptionTranslation translation;
    const TaskEnd end = Run(translation, Captions({"The category is clear", "A DOG barks", "Nothing here"}));
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    const auto requests = script.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].content.value(QLatin1String("glossary")).toArray(),
              QJsonArray({QJsonObject{{"source", "Dog"}, {"target", "perro"}}}))
        << "\"cat\" is not a word of \"category\"";
    EXPECT_EQ(requests[1].ids, QStringList{"2"});
    EXPECT_TRUE(requests[1].content.value(QLatin1String("instructions")).toString().contains(QLatin1String("\"perro\"")));
    EXPECT_EQ(translation.Results()[1].glossaryMisses, QStringList{"perro"});
    EXPECT_TRUE(translation.Results()[0].glossaryMisses.isEmpty());
}

TEST_F(Translation, ATranslationTooLongForItsTimeIsAskedOnceMoreShorterThenKeptAndFlagged)
{
    for (const bool obeys : {true, false}) {
        SCOPED_TRACE(obeys ? "shortened" : "still long");
        m_env.Server().Reset();
        m_env.GrantTokens("chat-token");
        QTemporaryDir cache;
        m_settings.cacheFolder = cache.path();
        TranslationScript script(m_env.Server(), [obeys](int call, const Asked& asked) {
            const QString text = call > 0 && obeys ? QStringLiteral("corto") : QString(40, QLatin1Char('x'));
            return TranslationScript::Json({{QStringLiteral("lines"), QJsonArray{Line(asked.ids[0], text)}}});
        });
        CaptionTranslation translation;
        // One second at 17 characters a second.
        const TaskEnd end = Run(translation, Captions({"Short"}, 1000));
        ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
        const auto requests = script.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].content.value(QLatin1String("lines")).toArray()[0].toObject().value("max_chars"), 17);
        EXPECT_TRUE(requests[1].content.value(QLatin1String("instructions")).toString().contains(QLatin1String("at most 17")));
        EXPECT_EQ(translation.Results()[0].tooLong, !obeys);
    }
}

TEST_F(Translation, ARerunAfterAFailedBatchSendsOnlyThatBatch)
{
    m_env.Server().Reset();
    m_env.GrantTokens("chat-token");
    const std::vector<Caption> captions = Captions(Numbered(CaptionTranslation::kBatchLines + 1));
    {
        TranslationScript script(m_env.Server(), [](int, const Asked& asked) {
            return asked.ids.contains(QStringLiteral("41")) ? std::string(R"({"error_code":336000})")
                                                             : TranslationScript::Json(TranslationScript::Faithful(asked));
        });
        CaptionTranslation translation;
        const TaskEnd end = Run(translation, captions);
        ASSERT_TRUE(end.Failed());
        EXPECT_EQ(end.error.text, QStringLiteral("caption 41: 服务内部错误"));
        // The batch before it had come back: its last three captions go as context, translated.
        const auto requests = script.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].content.value(QLatin1String("context")).toArray(), QJsonArray());
        EXPECT_EQ(requests[1].content.value(QLatin1String("context")).toArray(),
                  QJsonArray({QJsonObject{{"source", "line 38"}, {"target", "es:line 38"}},
                              QJsonObject{{"source", "line 39"}, {"target", "es:line 39"}},
                              QJsonObject{{"source", "line 40"}, {"target", "es:line 40"}}}));
    }
    TranslationScript script(m_env.Server());
    CaptionTranslation translation;
    const TaskEnd end = Run(translation, captions);
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    const auto requests = script.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].ids, QStringList{"41"});
    EXPECT_EQ(translation.Requests(), 1);
    EXPECT_EQ(translation.Results()[0].text, QStringLiteral("es:line 1"));
    EXPECT_EQ(translation.Results()[40].text, QStringLiteral("es:line 41"));
}

} // namespace
