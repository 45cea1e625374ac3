#pragma once

#include "subtitles/SrtLineInfo.h"
#include "subtitles/WavResult.h"

#include <QList>
#include <QString>

#include <vector>

// SRT subtitle text shared by both recognition engines, so the same sentences give the same bytes.
namespace SrtWriter {

// One block per sentence: number, CR LF, "begin --> end" (as CaptionWriter::FormatSrtTime writes
// times), CR LF, the text unchanged, CR LF, CR LF.
QString BuildSrt(const QList<SrtLineInfo*>& lines);
QString BuildSrt(const std::vector<nsWtt::stWavResult>& sentences);

// The plain-text companion of a subtitle file: every ".srt" of the path becomes ".txt"; a path
// without ".srt" gets ".txt" appended, so the two files never share a name.
QString CompanionPath(const QString& srtPath);

// Writes the text as a new file (an existing one is replaced); false, and nothing changed, when
// it cannot be written whole.
bool WriteTextFile(const QString& path, const QString& text);

// Writes a task's result file. A task's own earlier file (own) is replaced, as a run again is
// meant to; any other is never written over: the file is created exclusively, and a name that is
// taken (another run's result, of this process or another) gets the next free number. path then
// names the file written. A file is written whole or not at all: false, with nothing left behind
// and error (when given) saying why, when it cannot be.
bool WriteResultFile(QString& path, const QString& text, bool own, QString* error = nullptr);

} // namespace SrtWriter
