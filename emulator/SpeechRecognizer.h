#pragma once

#include "AudioSource.h"
#include "RecognizedSentence.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EnglishRecognizer;

// The one recognizer behind both recognition services: decodes the audio, finds its sentences
// at the pauses, and for English recognises the words of each with pocketsphinx. There is no
// offline Mandarin model to use, so a Mandarin sentence keeps its real times and gets a text that
// says plainly what it is. One object per worker thread: the English decoder is not thread-safe.
class SpeechRecognizer {
public:
    enum class Language { Mandarin, English };
    enum class Failure { None, Unreadable, Empty, TooLong, Cancelled, NoModel };

    struct Outcome {
        Failure failure = Failure::None;
        std::string error;
        std::int64_t durationMs = 0;
        std::vector<RecognizedSentence> sentences;
    };

    static constexpr std::int64_t kMaxDurationMs = std::int64_t{5} * 3600 * 1000;
    // Audio kept before and after a sentence when its words are recognised, so soft starts and
    // endings are heard.
    static constexpr int kMarginMs = 200;

    SpeechRecognizer();
    ~SpeechRecognizer();
    SpeechRecognizer(const SpeechRecognizer &) = delete;
    SpeechRecognizer &operator=(const SpeechRecognizer &) = delete;

    Outcome Recognize(const AudioSource &source, Language language, const std::atomic<bool> *cancel = nullptr);

    // "第3句（1.8秒）": the sentence's number from 1 and its length in seconds.
    static std::string PlaceholderText(int number, std::int64_t durationMs);
    // The whole recognised text: Mandarin sentences run on, English ones are spaced.
    static std::string JoinedText(const std::vector<RecognizedSentence> &sentences, Language language);

private:
    void RecogniseWords(const AudioSource &source, Outcome &outcome, const std::atomic<bool> *cancel);

    std::unique_ptr<EnglishRecognizer> english_;
};
