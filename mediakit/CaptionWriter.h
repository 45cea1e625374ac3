#pragma once

#include "mediakit/Caption.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// Captions as SRT (the module's own form: CR LF), WebVTT or Advanced SubStation, numbered from 1.
namespace CaptionWriter {

enum class Format
{
    Srt,
    WebVtt,
    Ass
};

// The names the command line takes, which are also the files' extensions: srt, vtt, ass.
QStringList FormatNames();
std::optional<Format> FormatNamed(const QString& name);
QString Extension(Format format);

// "hh:mm:ss,mmm"; hours are not wrapped (100 hours print as 100).
QString FormatSrtTime(int32_t milliseconds);

QString Build(const std::vector<Caption>& captions, Format format);

// Writes the file whole or not at all (see ResultFile::Write): replace writes over path itself,
// otherwise a name that is taken gets the next free number and path names the file written. On
// failure reason says why, without the file's name: the caller's message names it.
bool Write(QString& path, const std::vector<Caption>& captions, Format format, bool replace, QString& reason);

} // namespace CaptionWriter
