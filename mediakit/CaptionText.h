#pragma once

#include <QString>

#include <vector>

// A caption's text cut into the pieces a line may never be broken inside: a word of a spaced
// language (with the punctuation that touches it), or one Chinese character with the closing
// punctuation after it and the opening punctuation before it. A break may come before any piece
// but the first; whatever stood there is the piece's gap.
class CaptionText
{
public:
    // What a break after a piece costs the reader: none after a sentence, little after a pause.
    enum class Pause
    {
        None,
        Comma,
        Sentence
    };

    struct Piece
    {
        QString text;
        QString gap; // the whitespace before it in the original text
        Pause pause = Pause::None;
    };

    explicit CaptionText(const QString& text);

    const std::vector<Piece>& Pieces() const { return m_pieces; }
    int Count() const { return int(m_pieces.size()); }
    // Pieces [from, to) as one line: gaps kept, a line break inside becoming a space (or nothing
    // between two Chinese characters).
    QString Line(int from, int to) const;
    int Length(int from, int to) const;

    // Characters as a reader counts them: user-perceived characters (grapheme clusters), not code
    // points or UTF-16 units.
    static int Length(const QString& text);
    // Written in Chinese (Han characters at least as many as words of other scripts): such a
    // caption takes the shorter line and may break between characters.
    static bool IsChinese(const QString& text);
    // The letters and digits of a text, lower case: what a recogniser's word shares with the
    // caption whatever the punctuation.
    static QString Core(const QString& text);

private:
    QString Joined(int index) const;

    std::vector<Piece> m_pieces;
};
