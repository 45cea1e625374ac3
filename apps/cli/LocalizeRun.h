#pragma once

#include "apps/cli/LocalizeProject.h"
#include "apps/cli/LocalizeReport.h"
#include "dubbing/ShortSpeechTask.h"
#include "mediakit/Caption.h"
#include "mediakit/CaptionLayout.h"
#include "translation/CaptionTranslation.h"

#include <QString>

#include <chrono>
#include <map>
#include <optional>
#include <vector>

class CommandRun;

// One localisation, step by step: recognise the video's speech, lay it out as captions, translate
// them, speak the translation into a track fitted to the captions' times, then mix the track over
// the original sound and put both languages' subtitles into a copy of the video. Each step prints
// as it starts and ends, keeps its result in the project folder and is skipped on a rerun whose
// inputs have not changed; speech is kept per caption, so an edited caption is the only one
// spoken again.
class LocalizeRun
{
public:
    struct Options
    {
        QString video;
        QString from;
        QString to;
        QString glossary;
        QString output; // empty: NAME.LANG.mp4 beside the video (free-name rule)
        int engine = 1;
        int model = 0;
        ShortSpeechTask::Request voice;
        int jobs = 4;
        std::chrono::seconds timeout{600};
        CaptionLayout::Limits limits;
        bool fresh = false;
    };

    static constexpr int kSteps = 5;
    // How a step whose result an earlier run left is said to end.
    static constexpr const char* kKept = "kept from the last run";

    LocalizeRun(CommandRun& run, const Options& options);

    // The command's exit status.
    int Execute();

    // The lines "step N/5 NAME: started" and "...: HOW" on standard error.
    static void Starting(int step, const QString& name);
    static void Ended(int step, const QString& name, const QString& how);
    // "done in 1 request", "done in 3 requests".
    static QString Counted(int count, const QString& noun);
    // The module's own SRT files of the project, read as they were written.
    static bool ReadCaptions(const QString& path, std::vector<Caption>& captions, QString& error);
    // What a caption says aloud: its lines as one.
    static QString Spoken(const Caption& caption);

private:
    std::optional<int> Recognise(QString& recognised);
    std::optional<int> LayOut(const QString& recognised, QString& captions);
    std::optional<int> Translate(const QString& captions, QString& translated, bool& made);
    std::optional<int> RunTranslation(const QString& step, const std::vector<Caption>& captions,
                                      CaptionTranslation::Settings settings, CaptionTranslation& translation);
    std::optional<int> Speak(const QString& captions, const QString& translated, bool shorten, QString& track);
    std::optional<int> Mux(const QString& captions, const QString& translated, const QString& track, QString& video);
    void WriteReport(const QString& translated);

    // The step's result from an earlier run with the same inputs, said to be kept; otherwise the
    // step is said to start and result is empty.
    bool Reuse(int step, const QString& name, const QString& inputs, QString& result) const;
    std::optional<int> Failed(const QString& step, const QString& text);
    std::optional<int> Record(const QString& step, const QString& inputs, const QString& result);

    CommandRun& m_run;
    Options m_options;
    LocalizeProject m_project;
    std::map<QString, QStringList> m_misses;
    std::vector<LocalizeReport::Fit> m_fits;
    int m_speechRequests = 0;
};
