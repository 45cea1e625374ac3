#pragma once

#include "service/RequestFailure.h"
#include "translation/TranslationGlossary.h"
#include "translation/TranslationRequest.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// One batch of captions through the chat service until every line is in: the batch asked whole,
// the lines that did not come back asked again in smaller pieces, then the translations that left
// out a glossary term or run too long asked once more with the fault named. A line that came back
// is never asked for again to fill a gap, so a model that drops one line costs one small request.
class TranslationBatch
{
public:
    // Sends one user message: true with the model's answer, false with why it failed.
    using Ask = std::function<bool(const std::string& content, QString& answer, RequestFailure& failure)>;

    struct Setup
    {
        QString from;
        QString to;
        TranslationGlossary glossary; // the whole glossary; each request carries what its lines need
        std::vector<TranslationContext> context;
        std::vector<TranslationLine> lines;
    };

    // A translation more than this times its max_chars is asked for again, shorter.
    static constexpr double kTooLong = 1.2;
    // Rounds after the first for lines that did not come back.
    static constexpr int kGapRounds = 2;

    TranslationBatch(Setup setup, Ask ask);

    // True with a text for every line; false when a request failed (Failure()) or lines are still
    // missing after the last round (Missing()).
    bool Run();

    // The content of the batch's first request, whose answer the cache keeps.
    TranslationRequest::Content FirstContent() const { return ContentFor(m_setup.lines); }

    const std::map<QString, QString>& Texts() const { return m_texts; }
    int Requests() const { return m_requests; }
    // Lines asked for more than once.
    const std::set<QString>& AskedAgain() const { return m_askedAgain; }
    // Ids without a translation when Run gave up, in the batch's order.
    QStringList Missing() const;
    const RequestFailure& Failure() const { return m_failure; }

    // The target terms of the entries whose source occurs in source but whose target does not in
    // translation.
    static QStringList GlossaryMisses(const TranslationGlossary& glossary, const QString& from, const QString& to,
                                      const QString& source, const QString& translation);
    static bool TooLong(const QString& translation, int maxChars);

private:
    TranslationRequest::Content ContentFor(const std::vector<TranslationLine>& lines) const;
    // Asks for lines and keeps each answer it may: fill takes only lines still missing, a fix
    // replaces what is there.
    bool Request(const std::vector<TranslationLine>& lines, const QStringList& notes, bool fix);
    bool FillGaps();
    bool FixFaults();

    Setup m_setup;
    Ask m_ask;
    std::map<QString, QString> m_texts;
    std::set<QString> m_askedAgain;
    int m_requests = 0;
    RequestFailure m_failure;
};
