#include "host/QOVVideoTool.h"

#include "host/QOVFileName.h"
#include "host/QOVSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <cstdio>

namespace {

constexpr int kCannotHandle = -1;
constexpr int kConversionFailed = -2;
constexpr int kCannotWrite = -3;
constexpr int kStopped = -4;
// A whole feature film converts in well under this; a hung converter must not hold the caller.
constexpr int kConversionTimeoutMs = 30 * 60 * 1000;
constexpr int kProbeTimeoutMs = 60 * 1000;
// How often a running probe or conversion asks whether it is to stop.
constexpr int kStopLookMs = 50;

enum class Run { Finished, Stopped, TimedOut };

// Waits for a started program, asking stop (when given) every kStopLookMs, and kills it on a stop
// or when timeoutMs have passed.
Run WaitFor(QProcess& process, int timeoutMs, const std::function<bool()>& stop)
{
    const int slice = stop ? kStopLookMs : timeoutMs;
    for (int waited = 0; waited < timeoutMs; waited += slice) {
        if (process.waitForFinished(slice) || process.state() == QProcess::NotRunning)
            return Run::Finished;
        if (stop && stop()) {
            process.kill();
            process.waitForFinished();
            return Run::Stopped;
        }
    }
    process.kill();
    process.waitForFinished();
    return Run::TimedOut;
}

// Whether the file opens and holds an audio track this machine can decode. The probe runs as a
// program, like the conversion, so loading the editor's libraries never loads the media
// libraries with their long chain of dependencies.
Run ProbeDecodableAudio(const QString& mediaFile, const std::function<bool()>& stop, bool* decodable)
{
    *decodable = false;
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("a"),
                 QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), mediaFile});
    const Run run = WaitFor(probe, kProbeTimeoutMs, stop);
    *decodable = run == Run::Finished && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0 &&
                 !probe.readAllStandardOutput().trimmed().isEmpty();
    return run;
}

} // namespace

int SaveAudioFromMediaFile(const QString& audioFile, const QString& mediaFile, int channels, int sampleRate,
                           int /*sampleFormat*/, int startFrame, int endFrame, const std::function<bool()>& stop)
{
    if (audioFile.isEmpty() || !QFileInfo(mediaFile).isFile())
        return kCannotHandle;
    bool decodable = false;
    if (ProbeDecodableAudio(mediaFile, stop, &decodable) == Run::Stopped)
        return kStopped;
    if (!decodable)
        return kCannotHandle;

    const bool mp3 = ZuGetFileExt(audioFile).compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0;
    const QFileInfo target(audioFile);
    const QString temporary = target.absolutePath() + QStringLiteral("/.") + target.completeBaseName() +
                              QUuid::createUuid().toString(QUuid::Id128) + (mp3 ? QStringLiteral(".mp3")
                                                                                : QStringLiteral(".wav"));
    QStringList arguments{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                          QStringLiteral("-y"), QStringLiteral("-i"), mediaFile, QStringLiteral("-vn"),
                          QStringLiteral("-ac"), QString::number(channels > 1 ? 2 : 1),
                          QStringLiteral("-ar"), QString::number(sampleRate > 0 ? sampleRate : 16000)};
    if (startFrame > 0 || endFrame > 0) {
        const double rate = QOVGetSysFrameRate();
        if (startFrame > 0)
            arguments << QStringLiteral("-ss") << QString::number(startFrame / rate, 'f', 3);
        if (endFrame > startFrame)
            arguments << QStringLiteral("-t") << QString::number((endFrame - startFrame) / rate, 'f', 3);
    }
    arguments << QStringLiteral("-c:a") << (mp3 ? QStringLiteral("libmp3lame") : QStringLiteral("pcm_s16le"))
              << temporary;

    QProcess converter;
    converter.start(QStringLiteral("ffmpeg"), arguments);
    if (!converter.waitForStarted()) {
        QOVDebugOutput(QStringLiteral("SaveAudioFromMediaFile: the ffmpeg program is not available"));
        return kCannotHandle;
    }
    const Run run = WaitFor(converter, kConversionTimeoutMs, stop);
    if (run == Run::Stopped) {
        QFile::remove(temporary);
        return kStopped;
    }
    if (run != Run::Finished || converter.exitStatus() != QProcess::NormalExit || converter.exitCode() != 0) {
        QOVDebugOutput(QStringLiteral("SaveAudioFromMediaFile: %1")
                           .arg(QString::fromLocal8Bit(converter.readAllStandardError()).trimmed()));
        QFile::remove(temporary);
        return kConversionFailed;
    }
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(audioFile).constData()) != 0) {
        QFile::remove(temporary);
        return kCannotWrite;
    }
    return 0;
}
