#include "dubbing/TrackPatchTask.h"

#include "mediakit/AudioLibraryLog.h"
#include "mediakit/SpeechClip.h"
#include "mediakit/TempoChange.h"
#include "mediakit/TrackEncoder.h"
#include "service/ResultFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace TrackPatchTask {

namespace {

TaskEnd Failure(const QString& text)
{
    return TaskEnd::Failure(TaskError::Kind::Local, -1, text);
}

} // namespace

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
            return Failure(error);
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
                return Failure(error);
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
            return Failure(error);
        QFile encoded(scratch);
        if (!encoded.open(QIODevice::ReadOnly))
            return Failure(QStringLiteral("could not read the track back from %1: %2").arg(scratch, encoded.errorString()));
        if (worker.Stopping())
            return TaskEnd::Stop();
        // Once the track is whole under its name it is the result, even if a stop came meanwhile:
        // reporting a stop would leave a file nobody was told of.
        QString path = request.wantedPath;
        const bool written = ResultFile::WriteFrom(path, encoded, false, &error);
        encoded.close();
        QFile::remove(scratch);
        if (!written)
            return Failure(error);
        return TaskEnd::Success(path);
    };
}

} // namespace TrackPatchTask
