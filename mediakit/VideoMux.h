#pragma once

#include "mediakit/AudioMixdown.h"

#include <QString>
#include <QStringList>

#include <pplx/pplxtasks.h>

#include <functional>
#include <optional>
#include <vector>

// A video put together with what a localisation makes for it: a new sound track (replacing the
// original, over it with the original lowered while it speaks, or added to it), subtitle streams,
// and captions drawn on the picture. The picture is copied packet for packet unless captions are
// drawn on it. No widget and no exception crosses this boundary: a run ends in an outcome, with
// words for a failure, and the file appears whole or not at all.
class VideoMux
{
public:
    struct Subtitles
    {
        QString path;
        QString language; // ISO 639-2; empty: none
    };

    struct Request
    {
        QString video;
        QString track; // empty: the original sound, copied (or normalised when loudness is set)
        AudioMixdown::Mode mix = AudioMixdown::Mode::Duck;
        double duckDb = 12.0;
        std::optional<double> loudness; // LUFS
        std::vector<Subtitles> subtitles;
        QString burn; // a subtitle file to draw on the picture
        QString output; // written over when it is there, unless freeName
        // The output is only the name wanted: a file there, or one that comes there during the
        // run, is kept and the video takes the first free numbered name ("NAME_2.mp4").
        bool freeName = false;
        // The font captions are drawn in when they name none: the one the package installs, which
        // has the Chinese glyphs.
        QString fontsFolder = QStringLiteral("/usr/share/fonts/truetype/wqy");
        QString fontFamily = QStringLiteral("WenQuanYi Micro Hei");
    };

    enum class Outcome
    {
        Done,
        Failed,
        Stopped
    };

    // The fraction done (0..1), from the worker that runs the mux; called at most a few hundred
    // times a run.
    using Progress = std::function<void(double done)>;

    Outcome Run(const Request& request, const pplx::cancellation_token& cancel, const Progress& progress);

    // The name a dubbed copy of video wants: NAME.dubbed.EXT beside it, in its folder as written.
    static QString DubbedPath(const QString& video);

    const QString& Error() const { return m_error; }
    // What the user should know about a success ("the track runs past the picture's end").
    const QStringList& Warnings() const { return m_warnings; }
    // The length of the video, in seconds.
    double Seconds() const { return m_seconds; }
    // The file written, once the run is done.
    const QString& Written() const { return m_written; }
    // The captions of each subtitle stream, in the request's order.
    const std::vector<int>& Cues() const { return m_cues; }

private:
    QString m_error;
    QString m_written;
    QStringList m_warnings;
    double m_seconds = 0.0;
    std::vector<int> m_cues;
};
