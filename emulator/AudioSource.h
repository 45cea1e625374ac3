#pragma once

#include <cstdint>
#include <string>

// Audio to recognise: a region of a file already open, so a stored object is read in place
// behind its description block, and a file replaced meanwhile is still read whole.
struct AudioSource {
    int fd = -1;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    // Headerless 16-bit little-endian mono samples at `rawSampleRate` when set; otherwise the
    // container and codec are found out from the bytes.
    bool raw = false;
    int rawSampleRate = 16000;
};
