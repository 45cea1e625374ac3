#include "mediakit/VideoMux.h"

#include "mediakit/AudioLibraryLog.h"
#include "mediakit/BurnedVideo.h"
#include "mediakit/EncodedStream.h"
#include "mediakit/MixedSound.h"
#include "mediakit/MuxOutput.h"
#include "mediakit/SubtitleSource.h"
#include "mediakit/TrackAudioError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

namespace {

// Share of the progress the sound's passes take when the picture is copied; drawing captions
// makes the picture's pass by far the longest.
constexpr double kSoundShare = 0.5;
constexpr double kSoundShareBurning = 0.1;
// Reports a run makes at most: a change of a thousandth is below what a progress line shows.
constexpr int kSteps = 1000;

AVCodecID SubtitleCodec(MuxOutput::Family family, SubtitleSource::Kind kind)
{
    switch (family) {
    case MuxOutput::Family::Mp4:
        return AV_CODEC_ID_MOV_TEXT;
    case MuxOutput::Family::WebM:
        return AV_CODEC_ID_WEBVTT;
    case MuxOutput::Family::Matroska:
        return kind == SubtitleSource::Kind::Ass ? AV_CODEC_ID_ASS : AV_CODEC_ID_SUBRIP;
    case MuxOutput::Family::Other:
        break;
    }
    return AV_CODEC_ID_NONE;
}

// The picture: the first video stream that is not a cover image.
int PictureStream(const AVFormatContext* input)
{
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

double StreamSeconds(const AVFormatContext* input, const AVStream* stream)
{
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return double(stream->duration) * av_q2d(stream->time_base);
    return input->duration > 0 ? double(input->duration) / AV_TIME_BASE : 0.0;
}

// The output's clock starts at the original sound's first sample: the mixed sound, and captions
// recognised from that sound, count from there whatever the source's own clock read then (a
// broadcast or camera recording's clock rarely starts at zero). Without sound, at the picture's.
int64_t Origin(AVFormatContext* input, int picture)
{
    const int sound = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    for (const int index : {sound, picture}) {
        const AVStream* stream = index >= 0 ? input->streams[index] : nullptr;
        if (stream != nullptr && stream->start_time != AV_NOPTS_VALUE)
            return av_rescale_q(stream->start_time, stream->time_base, AV_TIME_BASE_Q);
    }
    return 0;
}

void Rebase(AVPacket* packet, int64_t origin, AVRational timeBase)
{
    const int64_t shift = av_rescale_q(origin, AV_TIME_BASE_Q, timeBase);
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts -= shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts -= shift;
}

// The subtitle streams the video has stay, after those added, where the container can hold their
// kind; the rest are named in a warning. Returns the input's stream indexes with their output's,
// or false with error.
bool KeepSubtitles(const AVFormatContext* input, const AVOutputFormat* format, bool defaultTaken, MuxOutput& output,
                   std::map<int, int>& kept, QStringList& warnings, QString& error)
{
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        if (avformat_query_codec(format, stream->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
            warnings << QStringLiteral("the video's subtitle stream %1 (%2) cannot go into a %3 file and is left out")
                            .arg(i)
                            .arg(QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id)),
                                 QString::fromLatin1(format->name));
            continue;
        }
        const int index = output.AddPassed(stream->codecpar, stream->time_base, error);
        if (index < 0)
            return false;
        AVStream* copy = output.Stream(index);
        av_dict_copy(&copy->metadata, stream->metadata, 0);
        copy->disposition = stream->disposition & ~(defaultTaken ? AV_DISPOSITION_DEFAULT : 0);
        defaultTaken = defaultTaken || (copy->disposition & AV_DISPOSITION_DEFAULT) != 0;
        kept[int(i)] = index;
    }
    return true;
}

} // namespace

QString VideoMux::DubbedPath(const QString& video)
{
    const QFileInfo info(video);
    return video.left(video.size() - info.fileName().size()) + info.completeBaseName() + QStringLiteral(".dubbed.") +
           info.suffix();
}

VideoMux::Outcome VideoMux::Run(const Request& request, const pplx::cancellation_token& cancel,
                                const Progress& progress)
{
    // The libraries' complaints about a file are noise; a failure is told in words of its own.
    const AudioLibraryLog quiet;
    m_error.clear();
    m_written.clear();
    m_warnings.clear();
    m_cues.clear();
    const auto fail = [this](const QString& error) {
        m_error = error;
        return Outcome::Failed;
    };
    int reported = -1;
    const auto report = [&](double done) {
        const int step = int(std::clamp(done, 0.0, 1.0) * kSteps);
        if (step != reported && progress) {
            reported = step;
            progress(double(step) / kSteps);
        }
    };
    QString error;

    AVFormatContext* opened = nullptr;
    int result = avformat_open_input(&opened, QFile::encodeName(request.video).constData(), nullptr, nullptr);
    MediaHandles::Input input(opened);
    if (result >= 0)
        result = avformat_find_stream_info(opened, nullptr);
    if (result < 0) {
        TrackAudioError::Note(error, QStringLiteral("read %1").arg(request.video), result);
        return fail(error);
    }
    const int picture = PictureStream(opened);
    if (picture < 0)
        return fail(QStringLiteral("%1 has no picture").arg(request.video));
    m_seconds = StreamSeconds(opened, opened->streams[picture]);
    if (m_seconds <= 0.0)
        return fail(QStringLiteral("cannot tell how long %1 is").arg(request.video));

    const AVOutputFormat* format = nullptr;
    MuxOutput::Family family = MuxOutput::Family::Other;
    if (!MuxOutput::Guess(request.output, format, family, error))
        return fail(error);
    if (family == MuxOutput::Family::Other && !request.subtitles.empty())
        return fail(QStringLiteral("%1 cannot hold subtitles: write an .mp4, .mov, .mkv or .webm").arg(request.output));
    if (family == MuxOutput::Family::WebM && !request.burn.isEmpty())
        return fail(QStringLiteral("a WebM video cannot hold the H.264 picture drawn captions need: write an .mkv or "
                                   ".mp4"));

    // Captions first: a file that is no subtitles ends the run before anything long starts.
    std::vector<std::unique_ptr<EncodedStream>> captions;
    for (const Subtitles& subtitles : request.subtitles) {
        SubtitleSource source;
        auto stream = std::make_unique<EncodedStream>();
        int cues = 0;
        if (!source.Read(subtitles.path, error) ||
            !source.Encode(SubtitleCodec(family, source.Form()), *stream, cues, error))
            return fail(error);
        stream->language = subtitles.language;
        m_cues.push_back(cues);
        captions.push_back(std::move(stream));
    }
    QTemporaryDir scratch;
    BurnedVideo::Captions drawn;
    if (!request.burn.isEmpty()) {
        SubtitleSource source;
        if (!source.Read(request.burn, error))
            return fail(error);
        // libass reads a file; the copy is UTF-8 whatever the original's character set.
        const QString suffix = source.Form() == SubtitleSource::Kind::Ass      ? QStringLiteral("ass")
                               : source.Form() == SubtitleSource::Kind::WebVtt ? QStringLiteral("vtt")
                                                                               : QStringLiteral("srt");
        drawn.file = scratch.filePath(QStringLiteral("captions.") + suffix);
        QFile copy(drawn.file);
        if (!scratch.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(source.Text()) != source.Text().size())
            return fail(QStringLiteral("cannot make a working copy of %1: %2").arg(request.burn, copy.errorString()));
        copy.close();
        drawn.fontsFolder = request.fontsFolder;
        // SubStation captions carry their own fonts; libass falls back on the folder's for glyphs
        // they lack.
        if (source.Form() != SubtitleSource::Kind::Ass)
            drawn.fontFamily = request.fontFamily;
    }

    const bool burning = !request.burn.isEmpty();
    const bool newSound = !request.track.isEmpty() || request.loudness.has_value();
    const double soundShare = newSound ? (burning ? kSoundShareBurning : kSoundShare) : 0.0;
    EncodedStream sound;
    if (newSound) {
        MixedSound::Plan plan;
        plan.mode = request.track.isEmpty() ? AudioMixdown::Mode::Original : request.mix;
        plan.original = request.video;
        plan.track = request.track;
        plan.duckDb = request.duckDb;
        plan.loudness = request.loudness;
        plan.end = int64_t(std::llround(m_seconds * AudioFeed::kRate));
        plan.opus = family == MuxOutput::Family::WebM;
        MixedSound mixed;
        const auto going = [&](double done) {
            report(done * soundShare);
            return !cancel.is_canceled();
        };
        if (!mixed.Make(plan, going, sound, error))
            return error.isEmpty() ? Outcome::Stopped : fail(error);
        if (mixed.TrackCut())
            m_warnings << QStringLiteral("%1 runs on past the end of the picture and is cut there").arg(request.track);
    }

    MuxOutput output;
    if (!output.Create(request.output, format, request.freeName, error))
        return fail(error);
    const AVStream* source = opened->streams[picture];
    BurnedVideo burner;
    int pictureOut = -1;
    if (burning) {
        if (!burner.Open(opened, picture, drawn, output.GlobalHeader(), error))
            return fail(error);
        MediaHandles::Parameters parameters(avcodec_parameters_alloc());
        if (!parameters || avcodec_parameters_from_context(parameters.get(), burner.Encoder()) < 0)
            return fail(QStringLiteral("could not describe the drawn picture"));
        pictureOut = output.AddPassed(parameters.get(), burner.Encoder()->time_base, error);
    } else {
        pictureOut = output.AddPassed(source->codecpar, source->time_base, error);
    }
    if (pictureOut < 0)
        return fail(error);
    AVStream* pictureStream = output.Stream(pictureOut);
    pictureStream->sample_aspect_ratio = burning ? burner.Encoder()->sample_aspect_ratio : source->sample_aspect_ratio;
    pictureStream->avg_frame_rate = source->avg_frame_rate;
    pictureStream->disposition = AV_DISPOSITION_DEFAULT;
    av_dict_copy(&pictureStream->metadata, source->metadata, 0);
    // A copied picture keeps what players need to show it: the turn of a phone's picture above all.
    // A drawn one was turned upright.
    for (int i = 0; !burning && i < source->nb_side_data; ++i) {
        const AVPacketSideData& data = source->side_data[i];
        if (uint8_t* copy = av_stream_new_side_data(pictureStream, data.type, data.size))
            std::memcpy(copy, data.data, data.size);
    }
    // Without a new track the original sound is copied as it is.
    const int originalSound = newSound ? -1 : av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, picture, nullptr, 0);
    int soundOut = -1;
    if (originalSound >= 0) {
        const AVStream* original = opened->streams[originalSound];
        soundOut = output.AddPassed(original->codecpar, original->time_base, error);
        if (soundOut >= 0)
            av_dict_copy(&output.Stream(soundOut)->metadata, original->metadata, 0);
    } else if (newSound) {
        soundOut = output.AddMade(sound, error);
    }
    if ((originalSound >= 0 || newSound) && soundOut < 0)
        return fail(error);
    if (soundOut >= 0)
        output.Stream(soundOut)->disposition = AV_DISPOSITION_DEFAULT;
    for (size_t i = 0; i < captions.size(); ++i) {
        const int index = output.AddMade(*captions[i], error);
        if (index < 0)
            return fail(error);
        // The first language is the one a player shows unless told otherwise.
        output.Stream(index)->disposition = i == 0 ? AV_DISPOSITION_DEFAULT : 0;
    }
    std::map<int, int> keptSubtitles;
    if (!KeepSubtitles(opened, format, !captions.empty(), output, keptSubtitles, m_warnings, error))
        return fail(error);
    if (!output.Begin(error))
        return fail(error);

    MediaHandles::Packet packet(av_packet_alloc());
    std::vector<MediaHandles::Packet> encoded;
    const auto writeEncoded = [&]() {
        for (MediaHandles::Packet& made : encoded) {
            if (!output.Write(pictureOut, made.get(), burner.Encoder()->time_base, error))
                return false;
        }
        encoded.clear();
        return true;
    };
    const int64_t origin = Origin(opened, picture);
    while ((result = av_read_frame(opened, packet.get())) >= 0) {
        if (cancel.is_canceled())
            return Outcome::Stopped;
        const int from = packet->stream_index;
        const AVRational timeBase = opened->streams[from]->time_base;
        bool written = true;
        const auto keptSubtitle = keptSubtitles.find(from);
        if (from == picture || from == originalSound || keptSubtitle != keptSubtitles.end())
            Rebase(packet.get(), origin, timeBase);
        if (from == picture) {
            if (packet->dts != AV_NOPTS_VALUE)
                report(soundShare + (1.0 - soundShare) * double(packet->dts) * av_q2d(timeBase) / m_seconds);
            written = burning ? burner.Add(packet.get(), encoded, error) && writeEncoded()
                              : output.Write(pictureOut, packet.get(), timeBase, error);
        } else if (from == originalSound) {
            written = output.Write(soundOut, packet.get(), timeBase, error);
        } else if (keptSubtitle != keptSubtitles.end()) {
            written = output.Write(keptSubtitle->second, packet.get(), timeBase, error);
        }
        av_packet_unref(packet.get());
        if (!written)
            return fail(error);
    }
    if (result != AVERROR_EOF) {
        TrackAudioError::Note(error, QStringLiteral("read %1").arg(request.video), result);
        return fail(error);
    }
    if (burning && !(burner.Add(nullptr, encoded, error) && writeEncoded()))
        return fail(error);
    if (cancel.is_canceled())
        return Outcome::Stopped;
    if (!output.Finish(error))
        return fail(error);
    m_written = output.Path();
    report(1.0);
    return Outcome::Done;
}
