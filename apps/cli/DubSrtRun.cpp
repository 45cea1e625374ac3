#include "apps/cli/DubSrtRun.h"

#include "apps/cli/BatchRun.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/OutputPath.h"
#include "apps/cli/ProgressLine.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWait.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/SrtDubbing.h"
#include "dubbing/TrackPlan.h"

#include <QFileInfo>
#include <QJsonArray>

#include <limits>

namespace DubSrtRun {

namespace {

constexpr int kMostJobs = 32;
// Each caption's requests have --timeout; the run as a whole needs no bound of its own.
constexpr std::chrono::milliseconds kUnbounded(std::numeric_limits<int>::max());

} // namespace

int Run(CommandRun& run)
{
    if (!run.Positional().isEmpty())
        return run.Usage(QStringLiteral("dub --srt takes no TEXT: the captions are the text"));
    OptionReader options(run.Arguments());
    const QString srt = options.Text(QStringLiteral("srt"));
    const QString output = options.Text(QStringLiteral("output"));
    SrtDubbing::Settings settings;
    settings.voice.voice = options.Integer(QStringLiteral("voice"), 0, -1, 1000000);
    settings.voice.speed = options.Integer(QStringLiteral("speed"), 5, 0, 15);
    settings.voice.pitch = options.Integer(QStringLiteral("pitch"), 5, 0, 15);
    settings.voice.volume = options.Integer(QStringLiteral("volume"), 5, 0, 15);
    QString format = options.Choice(QStringLiteral("format"), {QStringLiteral("mp3"), QStringLiteral("wav")});
    // --output's extension chooses the format when --format does not.
    if (!run.Arguments().Option(QStringLiteral("format")) &&
        QFileInfo(output).suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
        format = QStringLiteral("wav");
    settings.jobs = options.Integer(QStringLiteral("jobs"), BatchRun::kRequestPlaces, 1, kMostJobs);
    const auto timeout = options.Timeout();
    const QString encoding = options.Encoding();
    if (options.Problem())
        return run.Usage(*options.Problem());
    if (srt.isEmpty())
        return run.Usage(QStringLiteral("--srt needs the subtitle file"));
    // --from would be a second list of texts, and this one has its own.
    if (run.Arguments().Option(QStringLiteral("from")))
        return run.Usage(QStringLiteral("--srt and --from are two kinds of input: give one"));
    if (!output.isEmpty() && OutputPath::IsInput(output, srt))
        return run.Usage(QStringLiteral("--output names the subtitle file itself; the track needs a file of its own"));
    // Found out only when the track is laid, it would cost every caption's request first.
    if (!output.isEmpty() && !QFileInfo(QFileInfo(output).absolutePath()).isDir())
        return run.Fail(QStringLiteral("cannot write %1: its folder does not exist").arg(output));
    settings.captionLimit = timeout;
    // The history is read from anywhere, so it keeps a path that means the same from anywhere.
    settings.source = QFileInfo(srt).absoluteFilePath();
    settings.mp3 = format == QLatin1String("mp3");
    settings.voice.aue = settings.mp3 ? CTxt2AudioShortNetOper::kAueMp3 : CTxt2AudioShortNetOper::kAueWav;

    std::vector<SrtDubbing::Caption> captions;
    QString error;
    if (!SrtDubbing::Read(srt, captions, error, encoding))
        return run.Fail(error);
    run.Set(QStringLiteral("srt"), srt);
    run.Set(QStringLiteral("format"), format);
    run.Set(QStringLiteral("voice"), settings.voice.voice);
    run.Set(QStringLiteral("speed"), settings.voice.speed);
    run.Set(QStringLiteral("pitch"), settings.voice.pitch);
    run.Set(QStringLiteral("volume"), settings.voice.volume);
    run.Set(QStringLiteral("captions"), int(captions.size()));
    // Told with the result, when the long track has been made: a time typed wrong shows there.
    const std::vector<SrtDubbing::Silence> silences = SrtDubbing::LongSilences(captions);
    settings.wantedPath =
        output.isEmpty() ? DubbingFileName::Wanted(ServiceOptions::OutputFolder(QStringLiteral("AIAudio")), format)
                         : output;

    SrtDubbing dubbing;
    if (!dubbing.Start(std::move(captions), settings, error))
        return run.Fail(error);
    run.Progress().SetState(dubbing.State());
    TaskEnd end;
    switch (TaskWait::Run(dubbing, kUnbounded, run.Progress(), nullptr, end)) {
    case TaskWait::Ending::Interrupted:
        return run.Interrupted();
    case TaskWait::Ending::TimedOut:
        return run.Fail(QStringLiteral("the track was not made in time"));
    case TaskWait::Ending::Ended:
        break;
    }
    if (!end.Succeeded()) {
        if (dubbing.FailedCaption() > 0)
            run.Set(QStringLiteral("caption"), dubbing.FailedCaption());
        return run.Fail(end.error.text);
    }
    const QVariantMap made = end.value.toMap();
    QJsonArray runOn;
    for (const QVariant& number : made.value(QLatin1String(SrtDubbing::kRunOn)).toList()) {
        runOn.append(number.toInt());
        run.Line(QStringLiteral("caption %1 runs on past its slot even at %2x speed")
                     .arg(number.toInt())
                     .arg(TrackPlan::kMaxTempo));
    }
    for (const SrtDubbing::Silence& silence : silences) {
        const QString length = ProgressLine::Elapsed(std::chrono::milliseconds(silence.length));
        run.Warn(silence.first ? QStringLiteral("caption %1 begins %2 into the track, which is silent until then")
                                     .arg(silence.number)
                                     .arg(length)
                               : QStringLiteral("caption %1 begins %2 after the caption before it ends, and the "
                                                "track is silent in between")
                                     .arg(silence.number)
                                     .arg(length));
    }
    const QString path = made.value(QLatin1String(SrtDubbing::kPath)).toString();
    run.Set(QStringLiteral("run_on"), runOn);
    run.Set(QStringLiteral("path"), path);
    run.Line(path);
    return run.Succeed();
}

} // namespace DubSrtRun
