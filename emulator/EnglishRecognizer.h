#pragma once

#include "RecognizedSentence.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ps_decoder_s;
struct cmd_ln_s;

// Words in English speech, by pocketsphinx with the US English model Debian packages. A decoder
// holds some hundred megabytes and is not thread-safe: each recognition worker keeps its own.
class EnglishRecognizer {
public:
    static constexpr const char *kModelFolder = "/usr/share/pocketsphinx/model/en-us";
    static constexpr int kSampleRate = 16000;

    EnglishRecognizer();
    ~EnglishRecognizer();
    EnglishRecognizer(const EnglishRecognizer &) = delete;
    EnglishRecognizer &operator=(const EnglishRecognizer &) = delete;

    // Empty when the decoder is ready; otherwise why it is not (the model is missing).
    const std::string &Error() const { return error_; }
    // The words of one utterance of 16 kHz mono samples, times in milliseconds from its first
    // sample. Fillers (silence, breath, noise) are left out.
    std::vector<RecognizedWord> Recognize(const std::int16_t *samples, std::size_t count);

private:
    cmd_ln_s *config_ = nullptr;
    ps_decoder_s *decoder_ = nullptr;
    std::string error_;
};
