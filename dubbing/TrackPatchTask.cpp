#include "dubbing/TrackPatchTask.h"

#include "dubbing/TrackFile.h"
#include "mediakit/AudioLibraryLog.h"
#include "mediakit/SpeechClip.h"
#include "mediakit/TempoChange.h"
#include "mediakit/TrackEncoder.h"

#include <QDir>

#include <algorithm>

namespace TrackPatchTask {

ServiceTask::Body Make(const Request& request)
{
    return [request](const ServiceTask::Worker& worker) {
        const AudioLibraryLog quiet;
        std::vector<float> track;
        std::vector<float> speech;
        int rate = 0;
        int speechRate = 0;
        QString error;
        if (!SpeechClip::Decode(request.track, 0, track, rate, error) ||
            !SpeechClip::Decode(request.speech, rate, speech, speechRate, error))
            return TrackFile::Failure(error);
        if (worker.Stopping())
            return TaskEnd::Stop();
        const auto samples = [rate](qint64 milliseconds) { return size_t(std::max<qint64>(0, milliseconds) * rate / 1000); };
        const size_t start = samples(request.start);
        const size_t slotEnd = std::max(start, samples(request.slotEnd));
        const size_t slot = slotEnd - start;
        if (slot > 0 && speech.size() > slot) {
            std::vector<float> faster;
            const double tempo = std::min(double(speech.size()) / double(slot), request.maxTempo);
            if (!TempoChange::Apply(speech, rate, tempo, faster, error))
                return TrackFile::Failure(error);
            speech.swap(faster);
        }
        // The old speech goes with its slot; the new one may run on past it, as a track's may.
        track.resize(std::max(track.size(), start + speech.size()), 0.0f);
        std::fill(track.begin() + long(start), track.begin() + long(std::min(slotEnd, track.size())), 0.0f);
        for (size_t i = 0; i < speech.size(); ++i)
            track[start + i] = std::clamp(track[start + i] + speech[i], -1.0f, 1.0f);
        if (worker.Stopping())
            return TaskEnd::Stop();
        const QString scratch =
            QDir(request.scratchFolder).filePath(QStringLiteral("patched.") + (request.mp3 ? "mp3" : "wav"));
        if (!TrackEncoder::Write(track, rate, request.mp3, scratch, error))
            return TrackFile::Failure(error);
        QString path = request.wantedPath;
        if (std::optional<TaskEnd> failed = TrackFile::Settle(scratch, worker, path))
            return *failed;
        return TaskEnd::Success(path);
    };
}

} // namespace TrackPatchTask
