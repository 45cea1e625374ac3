#pragma once

#include "mediakit/MediaHandles.h"

#include <QString>

#include <vector>

// A stream made before the output is written (the mixed sound, a subtitle file's captions): what
// the muxer needs to describe it and its packets in order. Both are small beside the picture, so
// they wait in memory and are woven in among the picture's packets.
struct EncodedStream
{
    MediaHandles::Parameters parameters{avcodec_parameters_alloc()};
    AVRational timeBase{1, 1000};
    std::vector<MediaHandles::Packet> packets;
    // ISO 639-2, empty when not known.
    QString language;
};
