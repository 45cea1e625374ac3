// A voice-over track of two short clips, the second HOURS (2 by default) after the first, laid and
// encoded as dub --srt lays it; prints the process's peak resident memory, the same before the
// track was made and what the track added to it, the track file's size, and peak memory as a ratio
// of that size.
#include "dubbing/SpeechTrackTask.h"
#include "mediakit/TrackEncoder.h"
#include "service/ServiceTask.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVariantMap>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kRate = 24000;
constexpr double kClipSeconds = 2.0;

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// A service's speech stands in as a tone, written as the service writes it (MP3).
QString Clip(const QTemporaryDir& dir, const QString& name, double hertz)
{
    std::vector<float> samples(size_t(kRate * kClipSeconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5F * float(std::sin(2.0 * std::numbers::pi * hertz * double(i) / kRate));
    const QString path = dir.filePath(name);
    QString error;
    if (!TrackEncoder::Write(samples, kRate, true, path, error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        std::exit(1);
    }
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double hours = argc > 1 ? std::atof(argv[1]) : 2.0;
    QTemporaryDir dir;
    const qint64 later = qint64(hours * 3600000.0);
    SpeechTrackTask::Request request;
    request.cues = {{0, 2000, Clip(dir, QStringLiteral("one.mp3"), 330.0)},
                    {later, later + 2000, Clip(dir, QStringLiteral("two.mp3"), 440.0)}};
    request.wantedPath = dir.filePath(QStringLiteral("track.mp3"));
    QTemporaryDir scratch;
    request.scratchFolder = scratch.path();
    request.mp3 = true;
    const double before = PeakMegabytes();

    ServiceTask task(SpeechTrackTask::Make(request));
    TaskEnd end;
    QEventLoop loop;
    QObject::connect(&task, &ServiceTask::ended, &loop, [&](const TaskEnd& ended) {
        end = ended;
        loop.quit();
    });
    task.Start();
    loop.exec();
    if (!end.Succeeded()) {
        std::fprintf(stderr, "the track failed: %s\n", qPrintable(end.error.text));
        return 1;
    }
    const double peak = PeakMegabytes();
    const QString track = end.value.toMap().value(QLatin1String(SpeechTrackTask::kPath)).toString();
    const double trackMegabytes = double(QFileInfo(track).size()) / (1024.0 * 1024.0);
    std::printf("track_hours %.2f\ntrack_mb %.1f\nrss_before_mb %.1f\npeak_rss_mb %.1f\npeak_growth_mb %.1f\n"
                "peak_over_track %.2f\n",
                hours, trackMegabytes, before, peak, peak - before, peak / trackMegabytes);
    return 0;
}
