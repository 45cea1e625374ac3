#pragma once

#include "mediakit/Caption.h"
#include "mediakit/CaptionLayout.h"

#include <QString>

#include <vector>

// The sentences of one subtitle file as the studio edits them: read whole, changed only by edits
// that keep a sentence forwards and run it into no sentence it was clear of, and written back
// whole in the form the file had (its byte-order mark and line ends), so another tool that made it
// still reads it. Other tools' files may list sentences out of time order, or let them overlap:
// that is kept as the file has it, and times are compared by time, never by place in the list.
// A refused edit changes nothing and says why in a sentence the user is shown.
class SubtitleSentences
{
public:
    // False, with the reason in error, for a file that is missing or not subtitles. encoding: the
    // file's character set as the user picked it; empty: detected. unsure (when given) is set when
    // the file was refused for want of a character set the user might pick.
    bool Load(const QString& path, QString& error, const QString& encoding = QString(), bool* unsure = nullptr);
    void Clear();

    const QString& Path() const { return m_path; }
    const std::vector<Caption>& Captions() const { return m_captions; }
    int Count() const { return int(m_captions.size()); }
    // True once an edit or a layout has changed what the file holds.
    bool Modified() const { return m_modified; }

    // The indexes of the sentences on screen at a moment (milliseconds), the earliest started
    // first (ties in the file's order); none between sentences.
    std::vector<int> Shown(int32_t milliseconds) const { return Shown(m_captions, milliseconds); }
    static std::vector<int> Shown(const std::vector<Caption>& captions, int32_t milliseconds);

    bool SetText(int index, const QString& text, QString& error);
    bool SetTimes(int index, int32_t start, int32_t end, QString& error);
    // A time as the list shows it, and back; the parse also takes '.' and leaves hours out.
    static QString FormatTime(int32_t milliseconds);
    static bool ParseTime(const QString& text, int32_t& milliseconds, QString& error);

    void Layout(const CaptionLayout::Limits& limits);
    // Writes the file over itself, whole or not at all.
    bool Save(QString& error);

private:
    QString m_path;
    std::vector<Caption> m_captions;
    bool m_byteOrderMark = false;
    bool m_crlf = true;
    bool m_modified = false;
};
