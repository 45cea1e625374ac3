#pragma once

#include "mediakit/MediaHandles.h"

#include <QString>

#include <vector>

// A video's picture with captions drawn on it: decoded, passed through libavfilter's subtitles
// filter (libass) and encoded again as H.264 at the source's size, frame rate and aspect ratio.
class BurnedVideo
{
public:
    struct Captions
    {
        QString file;        // UTF-8 subtitles (SRT, WebVTT or SubStation)
        QString fontsFolder; // where libass looks before the system's fonts
        QString fontFamily;  // forced on captions that name no font of their own; empty: none forced
    };

    // x264's settings, which the benchmark gives the ffmpeg program too: near-transparent
    // quality, and a preset that keeps a film's re-encoding within minutes on a laptop.
    static constexpr const char* kPreset = "fast";
    static constexpr int kQuality = 18; // constant rate factor

    BurnedVideo() = default;
    BurnedVideo(const BurnedVideo&) = delete;
    BurnedVideo& operator=(const BurnedVideo&) = delete;

    // The picture is input's stream. globalHeader: the container keeps the stream's setup in its
    // header (MP4, Matroska).
    bool Open(AVFormatContext* input, int stream, const Captions& captions, bool globalHeader, QString& error);
    // The encoder, for the output stream's parameters and time base.
    const AVCodecContext* Encoder() const { return m_encoder.get(); }
    // The next packet of the source's picture, or none at the end; encoded packets are appended to
    // out in the encoder's time base.
    bool Add(const AVPacket* packet, std::vector<MediaHandles::Packet>& out, QString& error);

private:
    bool OpenFilters(const AVStream* source, const Captions& captions, QString& error);
    bool OpenEncoder(AVFormatContext* input, const AVStream* source, bool globalHeader, QString& error);
    bool Filter(const AVFrame* frame, std::vector<MediaHandles::Packet>& out, QString& error);
    // Sends frame (none: the end) and appends every packet that comes out.
    bool Encode(const AVFrame* frame, std::vector<MediaHandles::Packet>& out, QString& error);

    MediaHandles::Codec m_decoder;
    MediaHandles::Codec m_encoder;
    MediaHandles::Graph m_graph;
    MediaHandles::Frame m_frame;
    MediaHandles::Frame m_filtered;
    MediaHandles::Packet m_packet;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
};
