#pragma once

#include "mediakit/EncodedStream.h"

#include <QByteArray>
#include <QString>

// A subtitle file to put into a video, in whatever character set a tool wrote it: SRT (any the
// SRT reader takes, made regular), WebVTT or Advanced SubStation, held as UTF-8. Encoded into the
// subtitle codec a container takes by libavcodec's own reader and writer of each form, so that
// styles and positions carry over where the target can hold them.
class SubtitleSource
{
public:
    enum class Kind
    {
        Srt,
        WebVtt,
        Ass
    };

    // The kind is told by the extension (.vtt, .ass or .ssa; anything else is read as SRT). False
    // with error, naming path, when it cannot be read or is no subtitles.
    bool Read(const QString& path, QString& error);
    Kind Form() const { return m_kind; }
    // The file as UTF-8 text in its own form.
    const QByteArray& Text() const { return m_text; }

    // The captions as a stream of codec (mov_text, subrip, ass, webvtt); cues counts them.
    bool Encode(AVCodecID codec, EncodedStream& stream, int& cues, QString& error) const;

private:
    QString m_path;
    Kind m_kind = Kind::Srt;
    QByteArray m_text;
};
