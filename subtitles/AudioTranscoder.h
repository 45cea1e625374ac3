#pragma once

#include "subtitles/AudioLibraryEntry.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/samplefmt.h>
}

struct AVAudioFifo;
struct AVFormatContext;
struct AVStream;
struct SwrContext;

// One extraction: demux the first audio stream, decode, trim to the range, resample, cut into the
// encoder's frame size, encode, mux. Owns every FFmpeg object it makes and frees them all.
class AudioTranscoder
{
public:
    struct Output
    {
        AVCodecID codec = AV_CODEC_ID_MP3;
        int channels = 1;
        int sampleRate = 16000;
        AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
    };

    // start and end in whole seconds; 0 or less leaves that end open. watch may be null.
    AudioTranscoder(std::string source, std::string destination, int start, int end, Output output,
                    QovAudioWatch* watch = nullptr);
    ~AudioTranscoder();
    AudioTranscoder(const AudioTranscoder&) = delete;
    AudioTranscoder& operator=(const AudioTranscoder&) = delete;

    // 0 when the destination is complete, else one of the extraction's result codes.
    int Run();
    // The system's error number behind the failure Run() returned, or 0.
    int SystemError() const { return m_systemError; }

private:
    static int Interrupt(void* transcoder);
    bool StopRequested() const;
    // Keeps the system's error number of a failed FFmpeg call, if it was one, and returns code.
    int Failed(int ffmpegError, int code);
    void Report(bool complete);
    double RangeSeconds() const;
    int OpenInput();
    int OpenOutput();
    int OpenResampler();
    int Pump();
    int Decoded(AVFrame* frame);
    int Convert(const uint8_t* const* input, int samples);
    int EncodeFromFifo(bool final);
    int SendFrame(AVFrame* frame);
    int Finish();

    std::string m_source;
    std::string m_destination;
    std::string m_temporary;
    double m_start = 0.0; // seconds; 0: open
    double m_end = -1.0;
    Output m_output;
    QovAudioWatch* m_watch = nullptr;
    int m_systemError = 0;
    double m_total = 0.0; // seconds the range covers; 0 when the source does not say

    AVFormatContext* m_in = nullptr;
    AVFormatContext* m_out = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVCodecContext* m_encoder = nullptr;
    AVStream* m_inStream = nullptr;
    AVStream* m_outStream = nullptr;
    SwrContext* m_resampler = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_decoded = nullptr;
    AVFrame* m_encoded = nullptr;
    AVPacket* m_packet = nullptr;
    uint8_t** m_converted = nullptr;
    int m_convertedCapacity = 0;
    bool m_reachedEnd = false;
    int64_t m_origin = 0; // the audio stream's first time stamp: ranges count from it
    double m_nextFrameTime = 0.0;
    int64_t m_samplesSent = 0;
};
