#include "dubbing/SpeechTrackTask.h"

#include "dubbing/TrackFile.h"
#include "dubbing/TrackPlan.h"
#include "mediakit/AudioLibraryLog.h"
#include "mediakit/SpeechClip.h"
#include "mediakit/SpeechMix.h"
#include "mediakit/TempoChange.h"
#include "mediakit/TrackEncoder.h"

#include <QDir>
#include <QVariantList>

namespace SpeechTrackTask {

namespace {

// How much of the track is mixed and encoded at a time: long enough that a clip is rarely split
// between many blocks, short enough that a block is nothing beside the clips.
constexpr int kBlockSeconds = 5;

int64_t ToSamples(qint64 milliseconds, int rate)
{
    return milliseconds * rate / 1000;
}

} // namespace

ServiceTask::Body Make(const Request& request)
{
    return [request](const ServiceTask::Worker& worker) {
        // The decoders' complaints about an MP3's padding are noise to a user; failures are told
        // in this task's own words.
        const AudioLibraryLog quiet;
        // A slot's plan needs its speech's length, so every clip is decoded once for it; only the
        // clips a block of the mix reaches are decoded again and held, so a film's worth of speech
        // is never in memory at once.
        std::vector<int64_t> lengths(request.cues.size());
        int rate = 0;
        QString error;
        std::vector<float> clip;
        for (size_t i = 0; i < request.cues.size(); ++i) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            int clipRate = 0;
            if (!SpeechClip::Decode(request.cues[i].speech, rate, clip, clipRate, error))
                return TrackFile::Failure(error);
            rate = clipRate;
            lengths[i] = int64_t(clip.size());
        }
        clip = {};
        if (rate <= 0)
            return TrackFile::Failure(QStringLiteral("there is no speech to lay into a track"));

        std::vector<TrackPlan::Cue> cues;
        for (size_t i = 0; i < request.cues.size(); ++i)
            cues.push_back({ToSamples(request.cues[i].start, rate), ToSamples(request.cues[i].end, rate), lengths[i]});
        const TrackPlan::Rules rules{request.maxTempo, ToSamples(request.gap, rate), ToSamples(request.trackEnd, rate),
                                     request.smooth};
        const std::vector<TrackPlan::Placement> placements = TrackPlan::Place(cues, rules);
        QVariantList runOn;
        QVariantList tempos;
        QVariantList borrowed;
        QVariantList needed;
        for (size_t i = 0; i < placements.size(); ++i) {
            if (placements[i].runsOn)
                runOn.append(int(i));
            tempos.append(placements[i].tempo);
            borrowed.append(qint64(placements[i].borrowed * 1000 / rate));
            needed.append(placements[i].needed);
        }

        const QString scratch =
            QDir(request.scratchFolder).filePath(QStringLiteral("track.") + (request.mp3 ? "mp3" : "wav"));
        TrackEncoder encoder;
        if (!encoder.Open(rate, request.mp3, scratch, error))
            return TrackFile::Failure(error);
        SpeechMix mix(TrackPlan::Length(cues, placements));
        const int64_t blockSamples = int64_t(rate) * kBlockSeconds;
        std::vector<float> block;
        std::vector<float> faster;
        size_t next = 0;
        for (;;) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            // Every clip the block reaches is in the mix before the block is taken.
            for (; next < placements.size() && placements[next].start < mix.Position() + blockSamples; ++next) {
                const TrackPlan::Placement& placement = placements[next];
                int clipRate = 0;
                if (!SpeechClip::Decode(request.cues[next].speech, rate, clip, clipRate, error))
                    return TrackFile::Failure(error);
                if (placement.tempo != 1.0) {
                    if (!TempoChange::Apply(clip, rate, placement.tempo, faster, error))
                        return TrackFile::Failure(error);
                    clip.swap(faster);
                }
                mix.Add(placement.start, std::move(clip));
                clip = {};
            }
            mix.Next(blockSamples, block);
            if (block.empty())
                break;
            if (!encoder.Add(block.data(), block.size(), error))
                return TrackFile::Failure(error);
        }
        if (!encoder.Finish(error))
            return TrackFile::Failure(error);
        QString path = request.wantedPath;
        if (std::optional<TaskEnd> failed = TrackFile::Settle(scratch, worker, path))
            return *failed;
        return TaskEnd::Success(QVariantMap{{QLatin1String(kPath), path},
                                            {QLatin1String(kRunOn), runOn},
                                            {QLatin1String(kTempos), tempos},
                                            {QLatin1String(kBorrowed), borrowed},
                                            {QLatin1String(kNeeded), needed}});
    };
}

} // namespace SpeechTrackTask
