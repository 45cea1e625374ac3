#pragma once

#include "mediakit/EncodedStream.h"
#include "mediakit/MediaHandles.h"

#include <QString>

#include <vector>

// The file a mux writes: under a hidden temporary name beside the one it will have, which it takes
// only once the file is whole, so that a failure, a stop or a crash never leaves a file under the
// name that looks finished. Streams made beforehand (sound, captions) are woven in among the
// packets that are passed through as they come, in the order of their times.
class MuxOutput
{
public:
    // The three families of container a muxed video can be, by what they hold for captions.
    enum class Family
    {
        Mp4,      // MP4, MOV and their kin: mov_text
        Matroska, // SRT, or SubStation kept as it is
        WebM,     // WebVTT; its sound is Opus and its picture never H.264
        Other,    // no captions at all
    };

    MuxOutput() = default;
    ~MuxOutput();
    MuxOutput(const MuxOutput&) = delete;
    MuxOutput& operator=(const MuxOutput&) = delete;

    // The container a file's name asks for; false with error when the name says none.
    static bool Guess(const QString& path, const AVOutputFormat*& format, Family& family, QString& error);

    // Starts the temporary file beside path, in format. With freeName, path is only the name
    // wanted: a file there, or one that comes there meanwhile, is kept, and this one takes the
    // first free numbered name when it is whole. Otherwise a file at path is replaced.
    bool Create(const QString& path, const AVOutputFormat* format, bool freeName, QString& error);
    // The file's name: once it is finished, the one it took.
    const QString& Path() const { return m_path; }
    bool GlobalHeader() const;
    // A stream whose packets are passed in as they come: returns its index, or -1 with error.
    int AddPassed(const AVCodecParameters* parameters, AVRational timeBase, QString& error);
    // A stream whose packets are all in made; it must outlive the output. -1 with error on failure.
    int AddMade(EncodedStream& made, QString& error);
    AVStream* Stream(int index) const;
    bool Begin(QString& error);
    // One packet of a passed stream in timeBase; the made streams' packets due before it go first.
    bool Write(int index, AVPacket* packet, AVRational timeBase, QString& error);
    // Writes what the made streams have left, ends the file and gives it its name.
    bool Finish(QString& error);
    // Removes the unfinished file (also done when an unfinished output is destroyed).
    void Discard();

private:
    struct Made
    {
        EncodedStream* stream = nullptr;
        int index = -1;
        size_t next = 0;
    };

    bool WriteMadeBefore(double seconds, QString& error);
    bool Put(int index, AVPacket* packet, AVRational timeBase, QString& error);

    AVFormatContext* m_context = nullptr;
    QString m_path;
    QString m_temporary;
    std::vector<Made> m_made;
    bool m_freeName = false;
    bool m_begun = false;
    bool m_done = false;
};
