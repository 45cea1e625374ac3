#include "dubbing/SpeechTrackTask.h"

#include "dubbing/TrackPlan.h"
#include "mediakit/AudioLibraryLog.h"
#include "mediakit/SpeechClip.h"
#include "mediakit/SpeechMix.h"
#include "mediakit/TempoChange.h"
#include "mediakit/TrackEncoder.h"
#include "service/ResultFile.h"

#include <QDir>
#include <QFile>
#include <QVariantList>

namespace SpeechTrackTask {

namespace {

int64_t ToSamples(qint64 milliseconds, int rate)
{
    return milliseconds * rate / 1000;
}

TaskEnd Failure(const QString& text)
{
    return TaskEnd::Failure(TaskError::Kind::Local, -1, text);
}

} // namespace

ServiceTask::Body Make(const Request& request)
{
    return [request](const ServiceTask::Worker& worker) {
        // The decoders' complaints about an MP3's padding are noise to a user; failures are told
        // in this task's own words.
        const AudioLibraryLog quiet;
        // Every clip is decoded first: a slot's plan needs its speech's length.
        std::vector<std::vector<float>> clips(request.cues.size());
        int rate = 0;
        QString error;
        for (size_t i = 0; i < request.cues.size(); ++i) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            int clipRate = 0;
            if (!SpeechClip::Decode(request.cues[i].speech, rate, clips[i], clipRate, error))
                return Failure(error);
            rate = clipRate;
        }
        if (rate <= 0)
            return Failure(QStringLiteral("there is no speech to lay into a track"));

        std::vector<TrackPlan::Cue> cues;
        for (size_t i = 0; i < request.cues.size(); ++i)
            cues.push_back({ToSamples(request.cues[i].start, rate), ToSamples(request.cues[i].end, rate),
                            int64_t(clips[i].size())});
        const std::vector<TrackPlan::Placement> placements = TrackPlan::Place(cues);
        SpeechMix mix(TrackPlan::Length(cues, placements));
        QVariantList runOn;
        std::vector<float> faster;
        for (size_t i = 0; i < placements.size(); ++i) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            const TrackPlan::Placement& placement = placements[i];
            if (placement.runsOn)
                runOn.append(int(i));
            if (placement.tempo == 1.0) {
                mix.Add(placement.start, clips[i]);
            } else {
                if (!TempoChange::Apply(clips[i], rate, placement.tempo, faster, error))
                    return Failure(error);
                mix.Add(placement.start, faster);
            }
            clips[i] = {};
        }

        const QString scratch =
            QDir(request.scratchFolder).filePath(QStringLiteral("track.") + (request.mp3 ? "mp3" : "wav"));
        if (!TrackEncoder::Write(mix.Take(), rate, request.mp3, scratch, error))
            return Failure(error);
        QFile encoded(scratch);
        if (!encoded.open(QIODevice::ReadOnly))
            return Failure(QStringLiteral("could not read the track back from %1: %2").arg(scratch, encoded.errorString()));
        const QByteArray bytes = encoded.readAll();
        encoded.close();
        QFile::remove(scratch);
        if (worker.Stopping())
            return TaskEnd::Stop();
        QString path = request.wantedPath;
        if (!ResultFile::Write(path, bytes, false, &error))
            return Failure(error);
        return TaskEnd::Success(QVariantMap{{QLatin1String(kPath), path}, {QLatin1String(kRunOn), runOn}});
    };
}

} // namespace SpeechTrackTask
