#include "translation/TranslationBatch.h"

#include "mediakit/CaptionText.h"
#include "translation/TranslationLanguage.h"
#include "translation/TranslationReply.h"
#include "translation/TranslationSwaps.h"

#include <algorithm>

TranslationBatch::TranslationBatch(Setup setup, Ask ask) : m_setup(std::move(setup)), m_ask(std::move(ask)) {}

QStringList TranslationBatch::GlossaryMisses(const TranslationGlossary& glossary, const QString& from,
                                             const QString& to, const QString& source, const QString& translation)
{
    QStringList misses;
    for (const TranslationGlossary::Entry& entry : glossary.Found({source}, TranslationLanguage::Spaced(from))) {
        if (!TranslationGlossary::Occurs(entry.target, translation, TranslationLanguage::Spaced(to)))
            misses << entry.target;
    }
    return misses;
}

bool TranslationBatch::TooLong(const QString& translation, int maxChars)
{
    return maxChars > 0 && CaptionText::Length(translation) > kTooLong * maxChars;
}

TranslationRequest::Content TranslationBatch::ContentFor(const std::vector<TranslationLine>& lines) const
{
    std::vector<QString> texts;
    for (const TranslationLine& line : lines)
        texts.push_back(line.text);
    TranslationRequest::Content content;
    content.from = m_setup.from;
    content.to = m_setup.to;
    content.glossary = m_setup.glossary.Found(texts, TranslationLanguage::Spaced(m_setup.from));
    content.context = m_setup.context;
    content.lines = lines;
    return content;
}

bool TranslationBatch::Request(const std::vector<TranslationLine>& lines, const QStringList& notes, bool fix)
{
    TranslationRequest::Content content = ContentFor(lines);
    content.notes = notes;
    QString answer;
    ++m_requests;
    if (!m_ask(TranslationRequest::Build(content), answer, m_failure))
        return false;
    // An answer without the object leaves every line of it missing; the rounds after decide.
    const TranslationReply::Lines read = TranslationReply::Read(answer);
    // Lines answered with each other's ids are as good as not answered: which text is whose is
    // what the next, smaller request tells.
    const std::set<QString> swapped = TranslationSwaps::Find(lines, read.texts);
    for (const TranslationLine& line : lines) {
        const auto found = read.texts.find(line.id);
        if (found == read.texts.end() || found->second.isEmpty() || swapped.count(line.id))
            continue;
        if (fix || !m_texts.count(line.id))
            m_texts[line.id] = found->second;
    }
    return true;
}

bool TranslationBatch::FillGaps()
{
    const int batch = int(m_setup.lines.size());
    for (int round = 1; round <= kGapRounds; ++round) {
        std::vector<TranslationLine> missing;
        for (const TranslationLine& line : m_setup.lines) {
            if (!m_texts.count(line.id))
                missing.push_back(line);
        }
        if (missing.empty())
            return true;
        // Halved each round: what a model garbled in one long answer it tends to get right in a short one.
        const int piece = std::max(1, (batch + (1 << round) - 1) >> round);
        for (size_t from = 0; from < missing.size(); from += size_t(piece)) {
            const std::vector<TranslationLine> part(missing.begin() + long(from),
                                                    missing.begin() + long(std::min(missing.size(), from + piece)));
            for (const TranslationLine& line : part)
                m_askedAgain.insert(line.id);
            if (!Request(part, {}, false))
                return false;
        }
    }
    return true;
}

bool TranslationBatch::FixFaults()
{
    std::vector<TranslationLine> faulty;
    QStringList notes;
    for (const TranslationLine& line : m_setup.lines) {
        const QString& text = m_texts[line.id];
        bool fault = false;
        for (const QString& term : GlossaryMisses(m_setup.glossary, m_setup.from, m_setup.to, line.text, text)) {
            notes << QStringLiteral("The translation of line \"%1\" must contain the glossary's \"%2\".")
                         .arg(line.id, term);
            fault = true;
        }
        if (TooLong(text, line.maxChars)) {
            notes << QStringLiteral("The translation of line \"%1\" took %2 characters; make it shorter, at most %3.")
                         .arg(line.id)
                         .arg(CaptionText::Length(text))
                         .arg(line.maxChars);
            fault = true;
        }
        if (fault)
            faulty.push_back(line);
    }
    if (faulty.empty())
        return true;
    for (const TranslationLine& line : faulty)
        m_askedAgain.insert(line.id);
    return Request(faulty, notes, true);
}

bool TranslationBatch::Run()
{
    if (!Request(m_setup.lines, {}, false) || !FillGaps())
        return false;
    if (!Missing().isEmpty())
        return false;
    return FixFaults();
}

QStringList TranslationBatch::Missing() const
{
    QStringList missing;
    for (const TranslationLine& line : m_setup.lines) {
        if (!m_texts.count(line.id))
            missing << line.id;
    }
    return missing;
}
