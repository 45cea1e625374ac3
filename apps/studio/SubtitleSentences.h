#pragma once

#include <QList>
#include <QString>

// One block of a subtitle file: its time line's two ends as written ("00:00:01,200") and its text,
// lines joined by a line break.
struct SubtitleSentence
{
    QString begin;
    QString end;
    QString text;
};

// The blocks of an SRT file, in file order; none for a file that cannot be read. A block without
// a time line is not a sentence and is left out.
QList<SubtitleSentence> ReadSubtitleSentences(const QString& path);
