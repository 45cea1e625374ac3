#include "mediakit/MuxOutput.h"

#include "mediakit/TrackAudioError.h"
#include "service/ResultFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr int kAttempts = 100;
const QString kPartSuffix = QStringLiteral(".part");

// The hidden name a run writes name's file under: ".NAME.PID-RANDOM.part". The writer's process
// is in it so that a later run can tell a killed run's file from one still being written.
QString PartPrefix(const QString& name)
{
    return QStringLiteral(".%1.").arg(name);
}

// A run that was killed leaves its hidden file behind, as large as the video it had written; the
// next run beside it takes it away once the process that wrote it is gone.
void RemoveOrphans(const QDir& folder, const QString& name)
{
    const QString prefix = PartPrefix(name);
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.startsWith(prefix) || !entry.endsWith(kPartSuffix))
            continue;
        bool ok = false;
        const qint64 writer = entry.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
        if (ok && writer > 0 && ::kill(pid_t(writer), 0) != 0 && errno == ESRCH)
            QFile::remove(folder.filePath(entry));
    }
}

} // namespace

MuxOutput::~MuxOutput()
{
    Discard();
}

bool MuxOutput::Guess(const QString& path, const AVOutputFormat*& format, Family& family, QString& error)
{
    format = av_guess_format(nullptr, QFile::encodeName(QFileInfo(path).fileName()).constData(), nullptr);
    if (format == nullptr) {
        error = QStringLiteral("cannot tell which kind of video to write from the name %1").arg(path);
        return false;
    }
    const QByteArray name(format->name);
    family = name == "matroska"                                                     ? Family::Matroska
             : name == "webm"                                                       ? Family::WebM
             : name == "mp4" || name == "mov" || name == "ipod" || name == "3gp" ? Family::Mp4
                                                                                    : Family::Other;
    return true;
}

bool MuxOutput::Create(const QString& path, const AVOutputFormat* format, bool freeName, QString& error)
{
    m_path = path;
    m_freeName = freeName;
    const QFileInfo info(path);
    // Hidden, and never a name the finished file could have. Made as any new file is (the user's
    // umask decides who may read it), since it becomes the result by a rename.
    RemoveOrphans(info.absoluteDir(), info.fileName());
    for (int attempt = 0; m_temporary.isEmpty(); ++attempt) {
        const QString candidate = info.absoluteDir().filePath(
            PartPrefix(info.fileName()) +
            QStringLiteral("%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')) +
            kPartSuffix);
        const int descriptor = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            m_temporary = candidate;
        } else if (errno != EEXIST || attempt > kAttempts) {
            error = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    const QByteArray name = QFile::encodeName(m_temporary);
    int result = avformat_alloc_output_context2(&m_context, format, nullptr, name.constData());
    if (result >= 0)
        result = avio_open(&m_context->pb, name.constData(), AVIO_FLAG_WRITE);
    return result >= 0 || TrackAudioError::Note(error, QStringLiteral("write %1").arg(path), result);
}

bool MuxOutput::GlobalHeader() const
{
    return (m_context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

int MuxOutput::AddPassed(const AVCodecParameters* parameters, AVRational timeBase, QString& error)
{
    AVStream* stream = avformat_new_stream(m_context, nullptr);
    const int result = stream == nullptr ? AVERROR(ENOMEM) : avcodec_parameters_copy(stream->codecpar, parameters);
    if (result < 0) {
        TrackAudioError::Note(error, QStringLiteral("write %1").arg(m_path), result);
        return -1;
    }
    // The source container's tag for the codec may mean nothing in this one.
    stream->codecpar->codec_tag = 0;
    stream->time_base = timeBase;
    return stream->index;
}

int MuxOutput::AddMade(EncodedStream& made, QString& error)
{
    const int index = AddPassed(made.parameters.get(), made.timeBase, error);
    if (index < 0)
        return -1;
    if (!made.language.isEmpty())
        av_dict_set(&m_context->streams[index]->metadata, "language", made.language.toLatin1().constData(), 0);
    m_made.push_back({&made, index, 0});
    return index;
}

AVStream* MuxOutput::Stream(int index) const
{
    return m_context->streams[index];
}

bool MuxOutput::Begin(QString& error)
{
    const int result = avformat_write_header(m_context, nullptr);
    m_begun = result >= 0;
    return m_begun || TrackAudioError::Note(error, QStringLiteral("start %1").arg(m_path), result);
}

bool MuxOutput::Put(int index, AVPacket* packet, AVRational timeBase, QString& error)
{
    packet->stream_index = index;
    av_packet_rescale_ts(packet, timeBase, m_context->streams[index]->time_base);
    packet->pos = -1;
    const int result = av_interleaved_write_frame(m_context, packet);
    return result >= 0 || TrackAudioError::Note(error, QStringLiteral("write %1").arg(m_path), result);
}

bool MuxOutput::WriteMadeBefore(double seconds, QString& error)
{
    for (;;) {
        // The earliest packet due among the made streams.
        Made* earliest = nullptr;
        double earliestTime = 0.0;
        for (Made& made : m_made) {
            if (made.next >= made.stream->packets.size())
                continue;
            const AVPacket* packet = made.stream->packets[made.next].get();
            const double time = double(packet->dts == AV_NOPTS_VALUE ? packet->pts : packet->dts) *
                                av_q2d(made.stream->timeBase);
            if (earliest == nullptr || time < earliestTime) {
                earliest = &made;
                earliestTime = time;
            }
        }
        if (earliest == nullptr || earliestTime > seconds)
            return true;
        MediaHandles::Packet& packet = earliest->stream->packets[earliest->next++];
        const bool written = Put(earliest->index, packet.get(), earliest->stream->timeBase, error);
        // Written packets are done with; a film's worth is not kept till the end.
        packet.reset();
        if (!written)
            return false;
    }
}

bool MuxOutput::Write(int index, AVPacket* packet, AVRational timeBase, QString& error)
{
    const int64_t time = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (time != AV_NOPTS_VALUE && !WriteMadeBefore(double(time) * av_q2d(timeBase), error))
        return false;
    return Put(index, packet, timeBase, error);
}

bool MuxOutput::Finish(QString& error)
{
    if (!WriteMadeBefore(std::numeric_limits<double>::infinity(), error))
        return false;
    int result = av_write_trailer(m_context);
    const int closed = avio_closep(&m_context->pb);
    if (result >= 0)
        result = closed;
    if (result < 0)
        return TrackAudioError::Note(error, QStringLiteral("finish %1").arg(m_path), result);
    QString reason;
    bool named = false;
    if (m_freeName) {
        named = ResultFile::Settle(m_temporary, m_path, m_path, reason);
    } else {
        named = std::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_path).constData()) == 0;
        reason = named ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!named) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, reason);
        return false;
    }
    m_done = true;
    return true;
}

void MuxOutput::Discard()
{
    if (m_context != nullptr) {
        avio_closep(&m_context->pb);
        avformat_free_context(m_context);
        m_context = nullptr;
    }
    if (!m_done && !m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}
