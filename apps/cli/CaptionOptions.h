#pragma once

#include "mediakit/CaptionLayout.h"
#include "mediakit/CaptionWriter.h"
#include "subtitles/SrtLineInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

class CliArguments;
class OptionReader;

// The caption layout's options, which `captions` and `subtitles` both take: --max-chars,
// --max-lines, --max-seconds and --format.
class CaptionOptions
{
public:
    static QStringList Names();

    // Reads them; a value that cannot be taken is noted in Problem().
    CaptionOptions(const CliArguments& arguments, OptionReader& options);

    const std::optional<QString>& Problem() const { return m_problem; }
    // Whether any of them was given.
    bool Given() const { return m_given; }
    CaptionWriter::Format Format() const { return m_format; }
    QString FormatName() const { return CaptionWriter::Extension(m_format); }
    const CaptionLayout::Limits& Limits() const { return m_limits; }

    // Beside input as NAME.TAG.FORMAT (the layout's own output: NAME.captions.FORMAT).
    QString DefaultPath(const QString& input, const QString& tag = QStringLiteral("captions")) const;

    // Lays out the subtitles of input and writes them, whole or not at all: to output, replacing it,
    // or, when output is empty, to the default path, never over a file that is there (the next
    // free number instead). path is the file written; cues and captions count before and after.
    // heard is what the recogniser sent for the cues of input: where it timed a cue's words, the
    // cue is cut where they were spoken rather than in proportion to its text. encoding: input's
    // character set as the user named it; empty: detected.
    bool Write(const QString& input, const QString& output, QString& path, int& cues, int& captions,
               QString& error, const std::vector<SrtLineInfo>& heard = {}, const QString& encoding = QString()) const;

private:
    CaptionLayout::Limits m_limits;
    CaptionWriter::Format m_format = CaptionWriter::Format::Srt;
    bool m_given = false;
    std::optional<QString> m_problem;
};
