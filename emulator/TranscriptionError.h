#pragma once

#include <string>

// The file-transcription service's error numbers and their texts, as its clients know them.
struct TranscriptionError {
    static constexpr int kGeneral = 26600;
    static constexpr int kInvalidApplication = 26601;
    static constexpr int kUnknownTask = 26602;
    static constexpr int kStillProcessing = 26605;
    static constexpr int kEmptyAudio = 26606;
    static constexpr int kLanguageNotAllowed = 26607;
    static constexpr int kBadParameter = 26610;
    static constexpr int kFileTooLarge = 26621;
    static constexpr int kUploadTooLarge = 26631;
    static constexpr int kTooLong = 26632;
    static constexpr int kLengthMismatch = 26635;
    static constexpr int kUploadFailed = 26640;
    static constexpr int kTooManySlices = 26641;
    static constexpr int kMergeFailed = 26642;
    static constexpr int kUnconvertible = 26650;
    static constexpr int kEngineFailed = 26680;

    int number = 0;
    std::string message;

    explicit operator bool() const { return number != 0; }

    // The service's text for `number`, followed by what exactly was wrong.
    static TranscriptionError Make(int number, const std::string &detail);
    static std::string TextOf(int number);
};
