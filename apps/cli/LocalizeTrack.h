#pragma once

#include "apps/cli/LocalizeProject.h"
#include "apps/cli/LocalizeReport.h"
#include "apps/cli/LocalizeRun.h"
#include "mediakit/Caption.h"
#include "translation/CaptionTranslation.h"

#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

class CommandRun;

// A localisation's speaking step: the translated captions spoken (each caption's speech kept in
// the project, so only speech it lacks is asked for) and laid into a track fitted to their times.
// Speech longer than its caption first takes the silence after it, up to kGapMs before the next
// caption, and only then is sped up, at most kMaxTempo times and never suddenly faster than its
// neighbours. Lines that still run on are, when the translation is this run's own, asked of the
// translation once more in fewer words and spoken again.
class LocalizeTrack
{
public:
    static constexpr double kMaxTempo = 1.3;
    static constexpr qint64 kGapMs = 100;
    // Where the speech of each caption is kept in the project.
    static constexpr const char* kSpeechFolder = "speech";

    // Runs a translation of some captions with the run's languages and limits, for shorter wordings.
    using Translator = std::function<std::optional<int>(const std::vector<Caption>& captions,
                                                        const CaptionTranslation::Settings& settings,
                                                        CaptionTranslation& translation)>;

    LocalizeTrack(CommandRun& run, const LocalizeRun::Options& options, LocalizeProject& project, Translator translate);

    // The track of translated (source: captions), or the one kept for it; shorten: whether lines
    // may be worded again. Nothing, or the command's exit status when it cannot go on.
    std::optional<int> Make(const QString& captions, const QString& translated, bool shorten, QString& track);

    // How each caption's speech was fitted, in the translated file's order.
    const std::vector<LocalizeReport::Fit>& Fits() const { return m_fits; }
    int Requests() const { return m_speechRequests; }

private:
    std::optional<int> SpeakOnce(const std::vector<Caption>& captions, QString& track, QVariantMap& made);
    std::optional<int> Shorten(const QString& captions, const QString& translated, std::vector<Caption>& spoken,
                               QString& track, QVariantMap& made);
    std::optional<int> Failed(const QString& text);

    CommandRun& m_run;
    const LocalizeRun::Options& m_options;
    LocalizeProject& m_project;
    Translator m_translate;
    std::vector<LocalizeReport::Fit> m_fits;
    int m_speechRequests = 0;
};
