#include "apps/cli/MuxCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/OutputPath.h"
#include "apps/cli/TaskWait.h"
#include "mediakit/LanguageCode.h"
#include "mediakit/VideoMuxTask.h"
#include "service/ServiceTask.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {

constexpr double kMostDuckDb = 60.0;
constexpr double kQuietestLufs = -70.0;
constexpr double kLoudestLufs = -5.0;

// FILE[:LANG]: the language after the last ':' when it reads as one, else the file name's.
bool ReadSubtitles(const QString& value, VideoMux::Subtitles& subtitles, QString& problem)
{
    subtitles.path = value;
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    const QString tag = colon > 0 ? value.mid(colon + 1) : QString();
    if (!tag.isEmpty() && !tag.contains(QLatin1Char('/')) && !QFileInfo::exists(value)) {
        subtitles.path = value.left(colon);
        subtitles.language = LanguageCode::Iso6392(tag);
        if (subtitles.language.isEmpty()) {
            problem = QStringLiteral("--subtitles %1: %2 is no language code (es, zh, eng…)").arg(value, tag);
            return false;
        }
        return true;
    }
    subtitles.language = LanguageCode::FromFileName(value);
    return true;
}

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("mux takes one VIDEO, not %1 words").arg(run.Positional().size()));
    OptionReader options(run.Arguments());
    VideoMux::Request request;
    request.video = run.Positional().front();
    request.track = options.Text(QStringLiteral("audio"));
    const QString mix = options.Choice(QStringLiteral("mix"), {QStringLiteral("duck"), QStringLiteral("replace"),
                                                               QStringLiteral("add")});
    request.burn = options.Text(QStringLiteral("burn"));
    const QString output = options.Text(QStringLiteral("output"));
    request.duckDb = options.Number(QStringLiteral("duck-db"), request.duckDb, 0.0, kMostDuckDb);
    const double loudness = options.Number(QStringLiteral("loudness"), 0.0, kQuietestLufs, kLoudestLufs);
    if (options.Problem())
        return run.Usage(*options.Problem());
    QString problem;
    for (const QString& value : run.Arguments().Options(QStringLiteral("subtitles"))) {
        VideoMux::Subtitles subtitles;
        if (!ReadSubtitles(value, subtitles, problem))
            break;
        request.subtitles.push_back(subtitles);
    }
    if (!problem.isEmpty())
        return run.Usage(problem);
    if (request.track.isEmpty() && (run.Arguments().Option(QStringLiteral("mix")) ||
                                    run.Arguments().Option(QStringLiteral("duck-db"))))
        return run.Usage(QStringLiteral("--mix and --duck-db go with --audio"));
    request.mix = mix == QLatin1String("replace") ? AudioMixdown::Mode::Replace
                  : mix == QLatin1String("add")   ? AudioMixdown::Mode::Add
                                                  : AudioMixdown::Mode::Duck;
    if (run.Arguments().Option(QStringLiteral("loudness")))
        request.loudness = loudness;
    QStringList inputs{request.video};
    if (!request.track.isEmpty())
        inputs << request.track;
    if (!request.burn.isEmpty())
        inputs << request.burn;
    for (const VideoMux::Subtitles& subtitles : request.subtitles)
        inputs << subtitles.path;
    for (const QString& input : inputs) {
        if (!output.isEmpty() && OutputPath::IsInput(output, input))
            return run.Usage(QStringLiteral("--output names %1 itself; the video needs a file of its own").arg(input));
    }
    if (!QFileInfo(request.video).isFile())
        return run.Fail(QStringLiteral("cannot read %1: there is no such file").arg(request.video));
    // Found out only when the file is started, it would cost the sound's passes first.
    if (!output.isEmpty() && !QFileInfo(QFileInfo(output).absolutePath()).isDir())
        return run.Fail(QStringLiteral("cannot write %1: its folder does not exist").arg(output));

    // Beside the video, a name of its own: an earlier result, or one another run finishes
    // meanwhile, is never written over.
    request.output = output.isEmpty() ? VideoMux::DubbedPath(request.video) : output;
    request.freeName = output.isEmpty();
    run.Set(QStringLiteral("video"), request.video);
    if (!request.track.isEmpty()) {
        run.Set(QStringLiteral("audio"), request.track);
        run.Set(QStringLiteral("mix"), mix);
    }
    if (!request.burn.isEmpty())
        run.Set(QStringLiteral("burn"), request.burn);
    if (request.loudness)
        run.Set(QStringLiteral("loudness"), *request.loudness);

    ServiceTask task;
    task.Start(VideoMuxTask::Make(request));
    run.Progress().SetState(QStringLiteral("reading %1").arg(request.video));
    const TaskWait::Reading reading = [&run](int code, const QString& text) {
        const double seconds = text.toDouble();
        if (seconds > 0.0)
            run.Progress().SetAmount(seconds * code / VideoMuxTask::kWhole, seconds);
        return QString();
    };
    TaskEnd end;
    const TaskWait::Ending ending = TaskWait::Run(task, TaskWait::kNoLimit, run.Progress(), reading, end);
    if (ending != TaskWait::Ending::Ended || !end.Succeeded()) {
        if (ending == TaskWait::Ending::Interrupted)
            return run.Interrupted();
        return run.Fail(end.Failed() ? end.error.text : QStringLiteral("the mux of %1 was stopped").arg(request.video));
    }
    const QVariantMap made = end.value.toMap();
    for (const QString& warning : made.value(QLatin1String(VideoMuxTask::kWarnings)).toStringList())
        run.Warn(warning);
    QJsonArray subtitles;
    const QVariantList cues = made.value(QLatin1String(VideoMuxTask::kCues)).toList();
    for (size_t i = 0; i < request.subtitles.size(); ++i)
        subtitles.append(QJsonObject{{QStringLiteral("path"), request.subtitles[i].path},
                                     {QStringLiteral("language"), request.subtitles[i].language},
                                     {QStringLiteral("cues"), cues.value(qsizetype(i)).toInt()}});
    if (!subtitles.isEmpty())
        run.Set(QStringLiteral("subtitles"), subtitles);
    run.Set(QStringLiteral("seconds"), made.value(QLatin1String(VideoMuxTask::kSeconds)).toDouble());
    const QString written = made.value(QLatin1String(VideoMuxTask::kPath)).toString();
    run.Set(QStringLiteral("path"), written);
    run.Line(written);
    return run.Succeed();
}

} // namespace

const CliCommand& MuxCommand()
{
    static const CliCommand command{
        "mux",
        "VIDEO [--audio TRACK] [--mix replace|duck|add] [--duck-db DB] [--subtitles FILE[:LANG]]... "
        "[--burn FILE] [--loudness LUFS] [--output PATH]",
        "VIDEO with a new sound and captions: TRACK (any audio file, such as dub --srt's) replaces the\n"
        "original sound, or lies over it with the original lowered by DB (12) while it speaks (duck, the\n"
        "default), or is added to it; each --subtitles FILE (SRT, WebVTT or ASS) becomes a subtitle\n"
        "stream tagged LANG (es, zh… or from a name like NAME.es.srt), the first shown by default;\n"
        "--burn draws FILE's captions on the picture (encoded again as H.264); --loudness brings the\n"
        "sound to LUFS (EBU R128, such as -16) with peaks below -1 dBTP. The picture is otherwise\n"
        "copied as it is, and so is the sound without --audio. A track longer than the video is cut at\n"
        "its end. Written to PATH, or beside VIDEO as NAME.dubbed.EXT (NAME.dubbed_2.EXT when that is\n"
        "taken), in VIDEO's kind of file; prints its path",
        QStringList{QStringLiteral("audio"), QStringLiteral("mix"), QStringLiteral("duck-db"),
                    QStringLiteral("subtitles"), QStringLiteral("burn"), QStringLiteral("loudness"),
                    QStringLiteral("output")},
        &Run};
    return command;
}
