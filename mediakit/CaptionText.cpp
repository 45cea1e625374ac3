#include "mediakit/CaptionText.h"

#include <QList>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// A line never begins with these: they close what came before. Closing brackets and final quotes
// of every script are known by their category (see Closes); these are the rest.
const QStringView kClosing = u"，。、；：？！…—～·・‼⁇⁈⁉%,.;:?!％．｡､";
// And never ends with these.
const QStringView kOpening = u"（《「『〈【〔〖“‘([{";
const QStringView kSentenceEnd = u"。！？…．.!?";
const QStringView kPauses = u"，、；：—,;:";
// Quotes and brackets after a sentence's end still end the sentence.
const QStringView kTrailing = u"”’」』）》)]\"'";

bool BreaksBetweenCharacters(char32_t c)
{
    const QChar::Script script = QChar::script(c);
    return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana;
}

bool In(QStringView set, char32_t c)
{
    return c < 0x10000 && set.contains(QChar(char16_t(c)));
}

bool IsFinalQuote(char32_t c)
{
    return QChar::category(c) == QChar::Punctuation_FinalQuote;
}

bool Closes(char32_t c)
{
    return In(kClosing, c) || QChar::category(c) == QChar::Punctuation_Close || IsFinalQuote(c);
}

QString Text(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

CaptionText::Pause PauseAfter(const QString& text)
{
    const QList<uint> codes = text.toUcs4();
    const auto last = std::find_if(codes.crbegin(), codes.crend(), [](uint c) { return !In(kTrailing, c); });
    if (last == codes.crend())
        return CaptionText::Pause::None;
    return In(kSentenceEnd, *last) ? CaptionText::Pause::Sentence
           : In(kPauses, *last)    ? CaptionText::Pause::Comma
                                   : CaptionText::Pause::None;
}

} // namespace

CaptionText::CaptionText(const QString& text)
{
    QString gap;
    bool open = false;    // the last piece takes the next character whatever it is (after an opening mark)
    bool joined = false;  // the last piece is a spaced word the next non-space character continues
    for (const uint code : text.toUcs4()) {
        const char32_t c = code;
        if (QChar::isSpace(c)) {
            gap += Text(c);
            joined = false;
            continue;
        }
        const bool closing = Closes(c);
        if (!m_pieces.empty() && (open || closing || (joined && gap.isEmpty() && !BreaksBetweenCharacters(c)))) {
            // A closing mark after a space still stays with what it closes.
            m_pieces.back().text += gap + Text(c);
        } else {
            m_pieces.push_back(Piece{Text(c), gap, Pause::None});
        }
        gap.clear();
        open = In(kOpening, c);
        // Chinese punctuation ends a word as a space would; a Latin mark is part of it ("3.14"). A
        // final quote is both an apostrophe ("don’t") and a closer: it leaves the word as it was.
        if (!IsFinalQuote(c))
            joined = !BreaksBetweenCharacters(c) && !open && !(closing && c >= 0x2000);
    }
    for (Piece& piece : m_pieces)
        piece.pause = PauseAfter(piece.text);
}

QString CaptionText::Joined(int index) const
{
    const QString& gap = m_pieces[index].gap;
    if (!gap.contains(QLatin1Char('\n')) && !gap.contains(QLatin1Char('\r')))
        return gap;
    const QList<uint> before = m_pieces[index - 1].text.toUcs4();
    const QList<uint> after = m_pieces[index].text.toUcs4();
    const bool chinese = BreaksBetweenCharacters(before.back()) && BreaksBetweenCharacters(after.front());
    return chinese ? QString() : QStringLiteral(" ");
}

QString CaptionText::Line(int from, int to) const
{
    QString line;
    for (int i = from; i < to; ++i)
        line += (i > from ? Joined(i) : QString()) + m_pieces[i].text;
    return line;
}

int CaptionText::Length(int from, int to) const
{
    return Length(Line(from, to));
}

int CaptionText::Length(const QString& text)
{
    // A letter with its accents written apart (decomposed text) takes the room of one.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (graphemes.toNextBoundary() > 0)
        ++count;
    return count;
}

bool CaptionText::IsChinese(const QString& text)
{
    // A Latin word takes about the room of one character, so words are counted, not letters.
    int han = 0;
    int words = 0;
    bool inWord = false;
    for (const uint c : text.toUcs4()) {
        const bool letter = !BreaksBetweenCharacters(c) && QChar::isLetterOrNumber(c);
        han += BreaksBetweenCharacters(c) ? 1 : 0;
        words += letter && !inWord ? 1 : 0;
        inWord = letter;
    }
    return han > 0 && han >= words;
}

QString CaptionText::Core(const QString& text)
{
    QString core;
    for (const uint c : text.toUcs4()) {
        if (QChar::isLetterOrNumber(c))
            core += Text(QChar::toLower(c));
    }
    return core;
}
