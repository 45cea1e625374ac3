#include "SpeechRecognizer.h"

#include "AudioDecoder.h"
#include "EnglishRecognizer.h"
#include "FrameEnergies.h"
#include "SentenceSplitter.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::int64_t kSamplesPerMs = AudioDecoder::kSampleRate / 1000;
constexpr const char *kPlaceholderFormat = "第%d句（%.1f秒）";

SpeechRecognizer::Failure FailureOf(AudioDecoder::Status status)
{
    switch (status) {
    case AudioDecoder::Status::Decoded: return SpeechRecognizer::Failure::None;
    case AudioDecoder::Status::TooLong: return SpeechRecognizer::Failure::TooLong;
    case AudioDecoder::Status::Cancelled: return SpeechRecognizer::Failure::Cancelled;
    case AudioDecoder::Status::Unreadable: break;
    }
    return SpeechRecognizer::Failure::Unreadable;
}

}  // namespace

SpeechRecognizer::SpeechRecognizer() = default;

SpeechRecognizer::~SpeechRecognizer() = default;

SpeechRecognizer::Outcome SpeechRecognizer::Recognize(const AudioSource &source, Language language,
                                                      const std::atomic<bool> *cancel)
{
    Outcome outcome;
    const SentenceSplitter::Thresholds thresholds;
    FrameEnergies energies(static_cast<std::size_t>(thresholds.frameMs * kSamplesPerMs));
    const auto decoded = AudioDecoder::Decode(
        source, [&energies](const std::int16_t *samples, std::size_t count) { energies.Add(samples, count); },
        static_cast<std::uint64_t>(kMaxDurationMs * kSamplesPerMs), cancel);
    if (decoded.status != AudioDecoder::Status::Decoded) {
        outcome.failure = FailureOf(decoded.status);
        outcome.error = decoded.error;
        return outcome;
    }
    if (decoded.samples == 0) {
        outcome.failure = Failure::Empty;
        outcome.error = "the audio holds no samples";
        return outcome;
    }
    energies.Finish();
    outcome.durationMs = static_cast<std::int64_t>(decoded.samples) / kSamplesPerMs;

    int number = 0;
    for (const auto &span : SentenceSplitter::Split(energies.Db(), thresholds)) {
        RecognizedSentence sentence;
        sentence.beginMs = span.begin * thresholds.frameMs;
        sentence.endMs = std::min(span.end * thresholds.frameMs, outcome.durationMs);
        sentence.text = PlaceholderText(++number, sentence.endMs - sentence.beginMs);
        outcome.sentences.push_back(std::move(sentence));
    }
    if (language == Language::English && !outcome.sentences.empty())
        RecogniseWords(source, outcome, cancel);
    return outcome;
}

std::string SpeechRecognizer::PlaceholderText(int number, std::int64_t durationMs)
{
    char text[128];
    std::snprintf(text, sizeof text, kPlaceholderFormat, number, static_cast<double>(durationMs) / 1000.0);
    return text;
}

std::string SpeechRecognizer::JoinedText(const std::vector<RecognizedSentence> &sentences, Language language)
{
    std::string joined;
    for (const auto &sentence : sentences) {
        if (language == Language::English && !joined.empty())
            joined += ' ';
        joined += sentence.text;
    }
    return joined;
}

// A second pass over the audio keeps only the sentence being heard (and its margins) in memory.
// Sentences in which no word is heard are dropped.
void SpeechRecognizer::RecogniseWords(const AudioSource &source, Outcome &outcome, const std::atomic<bool> *cancel)
{
    if (!english_)
        english_ = std::make_unique<EnglishRecognizer>();
    if (!english_->Error().empty()) {
        outcome.failure = Failure::NoModel;
        outcome.error = english_->Error();
        outcome.sentences.clear();
        return;
    }

    auto &sentences = outcome.sentences;
    const std::int64_t margin = kMarginMs * kSamplesPerMs;
    const auto firstNeeded = [&](std::size_t index) { return std::max<std::int64_t>(0, sentences[index].beginMs * kSamplesPerMs - margin); };
    const auto lastNeeded = [&](std::size_t index) { return sentences[index].endMs * kSamplesPerMs + margin; };

    // Samples [heldFrom, position) once decoding has reached heldFrom; nothing before.
    std::vector<std::int16_t> held;
    std::int64_t heldFrom = firstNeeded(0);
    std::int64_t position = 0;
    std::size_t current = 0;
    std::vector<std::vector<RecognizedWord>> heard(sentences.size());

    const auto recogniseReady = [&](bool atEnd) {
        while (current < sentences.size() && (atEnd || position >= lastNeeded(current))) {
            const std::int64_t from = firstNeeded(current);
            const std::int64_t to = std::min(lastNeeded(current), heldFrom + static_cast<std::int64_t>(held.size()));
            if (to > from) {
                auto words = english_->Recognize(held.data() + (from - heldFrom), static_cast<std::size_t>(to - from));
                for (auto &word : words) {
                    word.beginMs += from / kSamplesPerMs;
                    word.endMs += from / kSamplesPerMs;
                }
                heard[current] = std::move(words);
            }
            ++current;
            const std::int64_t keepFrom = current < sentences.size() ? firstNeeded(current) : position;
            const auto drop = std::clamp<std::int64_t>(keepFrom - heldFrom, 0, static_cast<std::int64_t>(held.size()));
            held.erase(held.begin(), held.begin() + drop);
            heldFrom += drop;
            if (held.empty())
                heldFrom = std::max(heldFrom, keepFrom);
        }
    };

    const auto decoded = AudioDecoder::Decode(
        source,
        [&](const std::int16_t *samples, std::size_t count) {
            const std::int64_t end = position + static_cast<std::int64_t>(count);
            const std::int64_t from = std::max(position, heldFrom);
            if (current < sentences.size() && end > from)
                held.insert(held.end(), samples + (from - position), samples + count);
            position = end;
            recogniseReady(false);
        },
        static_cast<std::uint64_t>(kMaxDurationMs * kSamplesPerMs), cancel);
    if (decoded.status != AudioDecoder::Status::Decoded) {
        outcome.failure = FailureOf(decoded.status);
        outcome.error = decoded.error;
        outcome.sentences.clear();
        return;
    }
    recogniseReady(true);

    std::vector<RecognizedSentence> kept;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (heard[i].empty())
            continue;
        std::string text;
        for (const auto &word : heard[i])
            text += (text.empty() ? "" : " ") + word.text;
        sentences[i].text = std::move(text);
        sentences[i].words = std::move(heard[i]);
        kept.push_back(std::move(sentences[i]));
    }
    sentences = std::move(kept);
}
