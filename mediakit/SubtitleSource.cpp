#include "mediakit/SubtitleSource.h"

#include "mediakit/CaptionWriter.h"
#include "mediakit/SrtReader.h"
#include "mediakit/TextDecoding.h"
#include "mediakit/TrackAudioError.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The text handed to the library's reader as if it were a file.
struct Memory
{
    const QByteArray* bytes = nullptr;
    qsizetype at = 0;
};

int ReadMemory(void* opaque, uint8_t* buffer, int size)
{
    auto* memory = static_cast<Memory*>(opaque);
    const qsizetype count = std::min<qsizetype>(size, memory->bytes->size() - memory->at);
    if (count <= 0)
        return AVERROR_EOF;
    std::memcpy(buffer, memory->bytes->constData() + memory->at, size_t(count));
    memory->at += count;
    return int(count);
}

void FreeIo(AVIOContext** context)
{
    av_freep(&(*context)->buffer);
    avio_context_free(context);
}

constexpr int kIoBuffer = 64 * 1024;
constexpr int kMostCueBytes = 1024 * 1024;

// A caption as the decoder gives it: its time in milliseconds and its SubStation event lines
// ("ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text").
struct Cue
{
    int64_t start = 0;
    int64_t end = 0;
    std::vector<QByteArray> lines;
};

// Where an event line's text begins: after its eighth comma.
qsizetype TextStart(const QByteArray& line)
{
    qsizetype at = -1;
    for (int comma = 0; comma < 8; ++comma) {
        at = line.indexOf(',', at + 1);
        if (at < 0)
            return line.size();
    }
    return at + 1;
}

// Cues that never overlap: the time is cut wherever a cue starts or ends, and each piece shows
// the text of every cue shown then, in their order, one under another.
std::vector<Cue> Flattened(const std::vector<Cue>& cues)
{
    std::vector<int64_t> cuts;
    for (const Cue& cue : cues) {
        cuts.push_back(cue.start);
        cuts.push_back(cue.end);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<Cue> pieces;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        QByteArray line;
        for (const Cue& cue : cues) {
            if (cue.start > cuts[i] || cue.end < cuts[i + 1])
                continue;
            for (const QByteArray& event : cue.lines)
                line += line.isEmpty() ? event : QByteArrayLiteral("\\N") + event.mid(TextStart(event));
        }
        if (!line.isEmpty())
            pieces.push_back({cuts[i], cuts[i + 1], {line}});
    }
    return pieces;
}

} // namespace

bool SubtitleSource::Read(const QString& path, QString& error)
{
    m_path = path;
    const QString suffix = QFileInfo(path).suffix().toLower();
    m_kind = suffix == QLatin1String("vtt")                                    ? Kind::WebVtt
             : suffix == QLatin1String("ass") || suffix == QLatin1String("ssa") ? Kind::Ass
                                                                                : Kind::Srt;
    if (m_kind == Kind::Srt) {
        std::vector<Caption> captions;
        if (!SrtReader::Read(path, captions, error))
            return false;
        m_text = CaptionWriter::Build(captions, CaptionWriter::Format::Srt).toUtf8();
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const TextDecoding::Result decoded = TextDecoding::Decode(file.readAll());
    if (decoded.outcome != TextDecoding::Outcome::Read) {
        error = QStringLiteral("%1 is not subtitles: %2").arg(path, TextDecoding::Reason(decoded, QString()));
        return false;
    }
    const QString text = decoded.text.trimmed();
    const bool looksRight = m_kind == Kind::WebVtt ? text.startsWith(QLatin1String("WEBVTT"))
                                                   : text.contains(QLatin1String("[Events]"), Qt::CaseInsensitive);
    if (!looksRight) {
        error = QStringLiteral("%1 is not subtitles: it does not begin as a %2 file does")
                    .arg(path, m_kind == Kind::WebVtt ? QStringLiteral("WebVTT") : QStringLiteral("SubStation"));
        return false;
    }
    m_text = decoded.text.toUtf8();
    return true;
}

bool SubtitleSource::Encode(AVCodecID codec, EncodedStream& stream, int& cues, QString& error) const
{
    const QString what = QStringLiteral("read the captions of %1").arg(m_path);
    Memory memory{&m_text, 0};
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
    std::unique_ptr<AVIOContext, MediaHandles::Freer<&FreeIo>> io(
        buffer ? avio_alloc_context(buffer, kIoBuffer, 0, &memory, &ReadMemory, nullptr, nullptr) : nullptr);
    if (!io) {
        av_free(buffer);
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    }
    const char* format = m_kind == Kind::WebVtt ? "webvtt" : m_kind == Kind::Ass ? "ass" : "srt";
    AVFormatContext* opened = avformat_alloc_context();
    if (opened == nullptr)
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    opened->pb = io.get();
    opened->flags |= AVFMT_FLAG_CUSTOM_IO;
    int result = avformat_open_input(&opened, nullptr, av_find_input_format(format), nullptr);
    MediaHandles::Input input(opened);
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    if (input->nb_streams < 1)
        return TrackAudioError::Note(error, what, AVERROR_STREAM_NOT_FOUND);
    const AVStream* source = input->streams[0];
    const AVCodec* decoding = avcodec_find_decoder(source->codecpar->codec_id);
    const AVCodec* encoding = avcodec_find_encoder(codec);
    if (decoding == nullptr || encoding == nullptr)
        return TrackAudioError::Note(error, what, AVERROR_DECODER_NOT_FOUND);
    MediaHandles::Codec decoder(avcodec_alloc_context3(decoding));
    MediaHandles::Codec encoder(avcodec_alloc_context3(encoding));
    MediaHandles::Packet packet(av_packet_alloc());
    if (!decoder || !encoder || !packet)
        return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
    result = avcodec_parameters_to_context(decoder.get(), source->codecpar);
    decoder->pkt_timebase = source->time_base;
    if (result >= 0)
        result = avcodec_open2(decoder.get(), decoding, nullptr);
    if (result < 0)
        return TrackAudioError::Note(error, what, result);
    // The target's styles start from the source's: its own for SubStation, the reader's default
    // for the plain forms.
    encoder->time_base = AVRational{1, 1000};
    if (decoder->subtitle_header_size > 0) {
        encoder->subtitle_header = static_cast<uint8_t*>(av_mallocz(size_t(decoder->subtitle_header_size) + 1));
        if (encoder->subtitle_header == nullptr)
            return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
        std::memcpy(encoder->subtitle_header, decoder->subtitle_header, size_t(decoder->subtitle_header_size));
        encoder->subtitle_header_size = decoder->subtitle_header_size;
    }
    result = avcodec_open2(encoder.get(), encoding, nullptr);
    if (result >= 0)
        result = avcodec_parameters_from_context(stream.parameters.get(), encoder.get());
    if (result < 0)
        return TrackAudioError::Note(error, QStringLiteral("write the captions of %1").arg(m_path), result);
    stream.timeBase = encoder->time_base;

    std::vector<Cue> read;
    while ((result = av_read_frame(input.get(), packet.get())) >= 0) {
        AVSubtitle cue{};
        int got = 0;
        result = avcodec_decode_subtitle2(decoder.get(), &cue, &got, packet.get());
        const int64_t packetStart = av_rescale_q(packet->pts, source->time_base, AV_TIME_BASE_Q);
        av_packet_unref(packet.get());
        if (result < 0 || !got)
            continue;
        if (cue.pts == AV_NOPTS_VALUE)
            cue.pts = packetStart;
        // As one event from its start: the container gives the start, the packet the length.
        const int64_t start = av_rescale_q(cue.pts, AV_TIME_BASE_Q, AVRational{1, 1000}) + cue.start_display_time;
        Cue made{start, start + cue.end_display_time - cue.start_display_time, {}};
        for (unsigned i = 0; i < cue.num_rects; ++i) {
            if (cue.rects[i]->type == SUBTITLE_ASS && cue.rects[i]->ass != nullptr)
                made.lines.push_back(QByteArray(cue.rects[i]->ass));
        }
        avsubtitle_free(&cue);
        if (!made.lines.empty())
            read.push_back(std::move(made));
    }
    // MP4's timed text shows one sample at a time: cues that overlap would push each other later,
    // and every later cue with them.
    cues = int(read.size());
    if (codec == AV_CODEC_ID_MOV_TEXT)
        read = Flattened(read);
    std::vector<uint8_t> out(kMostCueBytes);
    for (const Cue& cue : read) {
        std::vector<AVSubtitleRect> rects(cue.lines.size());
        std::vector<AVSubtitleRect*> pointers;
        for (size_t i = 0; i < rects.size(); ++i) {
            rects[i].type = SUBTITLE_ASS;
            rects[i].ass = const_cast<char*>(cue.lines[i].constData());
            pointers.push_back(&rects[i]);
        }
        AVSubtitle subtitle{};
        subtitle.num_rects = unsigned(pointers.size());
        subtitle.rects = pointers.data();
        subtitle.end_display_time = uint32_t(cue.end - cue.start);
        const int size = avcodec_encode_subtitle(encoder.get(), out.data(), int(out.size()), &subtitle);
        if (size < 0)
            return TrackAudioError::Note(error, QStringLiteral("write the captions of %1").arg(m_path), size);
        MediaHandles::Packet encoded(av_packet_alloc());
        if (!encoded || av_new_packet(encoded.get(), size) < 0)
            return TrackAudioError::Note(error, what, AVERROR(ENOMEM));
        std::memcpy(encoded->data, out.data(), size_t(size));
        encoded->pts = encoded->dts = av_rescale_q(cue.start, AVRational{1, 1000}, stream.timeBase);
        encoded->duration = av_rescale_q(cue.end - cue.start, AVRational{1, 1000}, stream.timeBase);
        stream.packets.push_back(std::move(encoded));
    }
    if (result != AVERROR_EOF)
        return TrackAudioError::Note(error, what, result);
    if (cues == 0) {
        error = QStringLiteral("%1 is not subtitles: it holds no caption").arg(m_path);
        return false;
    }
    return true;
}
