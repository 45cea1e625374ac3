#pragma once

// Whose numbers a failed extraction's code is (TaskError::domain).
constexpr const char* kExtractionCodes = "extraction";

// Result codes of the audio extraction (0 done; a negative FFmpeg error when writing failed).
enum TranscodeResult : int {
    TRANSCODE_OK = 0,
    TRANSCODE_CANNOT_OPEN_SOURCE = -1,
    TRANSCODE_NO_AUDIO = -2,
    TRANSCODE_NO_CONTAINER = -3,
    TRANSCODE_NO_STREAM = -4,
    TRANSCODE_NO_ENCODER = -5,
    TRANSCODE_NO_DECODER = -6,
    TRANSCODE_CANNOT_OPEN_DESTINATION = -7,
    TRANSCODE_NO_HEADER = -8,
    TRANSCODE_NO_RESAMPLER = -9,
    TRANSCODE_BAD_RANGE = -10,
    // Only when the caller asked the extraction to stop. The value is FFmpeg's own "immediate
    // exit requested" error, which no other failure returns and no small code collides with.
    TRANSCODE_CANCELLED = -0x54495845,
};
