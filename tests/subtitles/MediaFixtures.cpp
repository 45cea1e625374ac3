#include "MediaFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <stdexcept>

namespace MediaFixtures {

namespace {

// Made once per process; the arguments are the ffmpeg program's, split at blanks.
QString Make(const QString& name, const QString& arguments)
{
    const QString path = Folder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(path))
        return path;
    bool ok = false;
    const QString output =
        RunFfmpeg(QStringList{QStringLiteral("-y")} + arguments.split(QLatin1Char(' ')) + QStringList{path}, &ok);
    if (!ok)
        throw std::runtime_error("ffmpeg could not make " + name.toStdString() + ": " + output.toStdString());
    return path;
}

} // namespace

QString RunFfmpeg(const QStringList& arguments, bool* ok)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                                       QStringLiteral("error")} + arguments);
    *ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
    return QString::fromUtf8(ffmpeg.readAllStandardOutput() + ffmpeg.readAllStandardError());
}

QString Folder()
{
    static QTemporaryDir folder;
    return folder.path();
}

QString VideoWithAudio()
{
    return Make(QStringLiteral("tone.mp4"),
                QStringLiteral("-f lavfi -i sine=frequency=440:sample_rate=44100:duration=10 -f lavfi "
                               "-i testsrc=size=160x120:rate=25:duration=10 -ac 2 -c:a aac -c:v mpeg4 -shortest"));
}

QString VideoWithoutAudio()
{
    return Make(QStringLiteral("silent-film.mp4"),
                QStringLiteral("-f lavfi -i testsrc=size=160x120:rate=25:duration=3 -c:v mpeg4"));
}

QString SpeechFormatWav()
{
    return Make(QStringLiteral("speech16k.wav"),
                QStringLiteral("-f lavfi -i sine=frequency=300:sample_rate=16000:duration=4 -ac 1 -c:a pcm_s16le"));
}

QString SilentWav()
{
    return Make(QStringLiteral("silence.wav"),
                QStringLiteral("-f lavfi -i anullsrc=r=16000:cl=mono -t 2 -c:a pcm_s16le"));
}

QString TenMinutesOfSound()
{
    return Make(QStringLiteral("ten-minutes.mkv"),
                QStringLiteral("-f lavfi -i sine=frequency=300:sample_rate=16000:duration=600 -c:a pcm_s16le"));
}

Decoded Decode(const QString& path)
{
    Decoded result;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return result;
    avformat_find_stream_info(input, nullptr);
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodec* codec = index >= 0 ? avcodec_find_decoder(input->streams[index]->codecpar->codec_id) : nullptr;
    AVCodecContext* decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (decoder && avcodec_parameters_to_context(decoder, input->streams[index]->codecpar) >= 0 &&
        avcodec_open2(decoder, codec, nullptr) >= 0) {
        result.codec = QString::fromLatin1(codec->name);
        result.sampleRate = decoder->sample_rate;
        result.channels = decoder->ch_layout.nb_channels;
        const auto drain = [&] {
            while (avcodec_receive_frame(decoder, frame) == 0) {
                result.samples += frame->nb_samples;
                av_frame_unref(frame);
            }
        };
        while (av_read_frame(input, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
                drain();
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder, nullptr);
        drain();
        result.ok = true;
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
    return result;
}

} // namespace MediaFixtures
