#pragma once

#include <QString>

#include <vector>

// The user's fixed translations of names and terms: a UTF-8 text file, one "source<TAB>target"
// a line, "#" starting a comment. Each request carries only the entries its lines need, so a long
// glossary costs nothing where its terms do not occur.
class TranslationGlossary
{
public:
    struct Entry
    {
        QString source;
        QString target;
    };

    TranslationGlossary() = default;

    // False, with a sentence naming the file and the line, when it cannot be read or a line is not
    // an entry.
    static bool Read(const QString& path, TranslationGlossary& glossary, QString& error);
    // The same for the file's text; where names the file in error.
    static bool Parse(const QString& text, const QString& where, TranslationGlossary& glossary, QString& error);

    void Add(Entry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<Entry>& Entries() const { return m_entries; }
    bool Empty() const { return m_entries.empty(); }

    // The entries whose source term occurs in any of texts, once each, in the file's order.
    std::vector<Entry> Found(const std::vector<QString>& texts, bool wholeWords) const;

    // term occurs in text, ignoring case; with wholeWords, not as part of a longer word.
    static bool Occurs(const QString& term, const QString& text, bool wholeWords);

private:
    std::vector<Entry> m_entries;
};
