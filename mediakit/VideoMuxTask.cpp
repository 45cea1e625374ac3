#include "mediakit/VideoMuxTask.h"

#include <QVariantList>
#include <QVariantMap>

#include <cmath>

namespace VideoMuxTask {

ServiceTask::Body Make(const VideoMux::Request& request)
{
    return [request](const ServiceTask::Worker& worker) {
        VideoMux mux;
        const VideoMux::Outcome outcome = mux.Run(request, worker.Token(), [&worker, &mux](double done) {
            worker.Report(int(std::lround(done * kWhole)), QString::number(mux.Seconds()));
        });
        switch (outcome) {
        case VideoMux::Outcome::Stopped:
            return TaskEnd::Stop();
        case VideoMux::Outcome::Failed:
            return TaskEnd::Failure(TaskError::Kind::Local, -1, mux.Error());
        case VideoMux::Outcome::Done:
            break;
        }
        QVariantList cues;
        for (const int count : mux.Cues())
            cues.append(count);
        return TaskEnd::Success(QVariantMap{{QLatin1String(kPath), mux.Written()},
                                            {QLatin1String(kWarnings), mux.Warnings()},
                                            {QLatin1String(kCues), cues},
                                            {QLatin1String(kSeconds), mux.Seconds()}});
    };
}

} // namespace VideoMuxTask
