#include "SpeechSynthesizer.h"

#include "SpeechVoice.h"
#include "Utf8Text.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace SpeechSynthesizer {

namespace {

// Long enough for a few sentences, short enough that a waiting request gets the engine within a
// fraction of a second.
constexpr std::size_t kGroupCharacters = 400;
constexpr std::u32string_view kSentenceEnds = U"。！？；.!?;\n";

struct Collector {
    std::vector<std::int16_t> *samples = nullptr;
    const std::atomic<bool> *cancel = nullptr;
};

std::mutex &EngineMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Guarded by EngineMutex(). Synthesis is synchronous, so the engine calls Collect on the thread
// that holds the lock and set the collector.
Collector *g_collector = nullptr;
int g_sampleRate = 0;

int Collect(short *wave, int count, espeak_EVENT *)
{
    if (g_collector == nullptr)
        return 0;
    if (wave != nullptr && count > 0)
        g_collector->samples->insert(g_collector->samples->end(), wave, wave + count);
    // A non-zero answer makes the engine abandon the rest of the text.
    return g_collector->cancel != nullptr && g_collector->cancel->load() ? 1 : 0;
}

// Call with EngineMutex() held.
void StartEngine()
{
    if (g_sampleRate > 0)
        return;
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0)
        throw std::runtime_error("the speech engine did not start (is its data installed?)");
    espeak_SetSynthCallback(Collect);
    g_sampleRate = rate;
}

// Call with EngineMutex() held.
void SelectVoice(const std::string &voice)
{
    if (espeak_SetVoiceByName(voice.c_str()) != EE_OK)
        throw std::runtime_error("the speech engine has no voice " + voice);
}

// Pieces of at most kGroupCharacters characters, each ending after a sentence end where the
// window holds one, so the engine's intonation is not cut mid-sentence.
std::vector<std::string> SplitIntoGroups(std::string_view text)
{
    const std::u32string chars = Utf8Text::Decode(text);
    std::vector<std::string> groups;
    std::size_t start = 0;
    while (start < chars.size()) {
        std::size_t end = std::min(start + kGroupCharacters, chars.size());
        if (end < chars.size()) {
            for (std::size_t i = end; i > start; --i) {
                if (kSentenceEnds.find(chars[i - 1]) != std::u32string_view::npos) {
                    end = i;
                    break;
                }
            }
        }
        groups.push_back(Utf8Text::Encode(std::u32string_view(chars).substr(start, end - start)));
        start = end;
    }
    return groups;
}

bool Cancelled(const std::atomic<bool> *cancel) { return cancel != nullptr && cancel->load(); }

}  // namespace

std::optional<PcmAudio> Speak(std::string_view text, const SpeechSettings &settings, const std::atomic<bool> *cancel)
{
    const std::string voice = SpeechVoice::NameFor(text, settings.person);
    PcmAudio audio;
    for (const auto &group : SplitIntoGroups(text)) {
        if (Cancelled(cancel))
            return std::nullopt;
        std::lock_guard lock(EngineMutex());
        StartEngine();
        SelectVoice(voice);
        // Choosing a voice resets the parameters, so they are set after it, for every group.
        espeak_SetParameter(espeakRATE, SpeechVoice::Rate(settings.speed, settings.person), 0);
        espeak_SetParameter(espeakPITCH, SpeechVoice::Pitch(settings.pitch, settings.person), 0);
        espeak_SetParameter(espeakVOLUME, SpeechVoice::Amplitude(settings.volume), 0);
        Collector collector{&audio.samples, cancel};
        g_collector = &collector;
        const auto result = espeak_Synth(group.c_str(), group.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                                         nullptr, nullptr);
        g_collector = nullptr;
        if (result != EE_OK && !Cancelled(cancel))
            throw std::runtime_error("the speech engine failed on a text");
    }
    if (Cancelled(cancel))
        return std::nullopt;
    std::lock_guard lock(EngineMutex());
    StartEngine();
    audio.sampleRate = g_sampleRate;
    return audio;
}

std::string Phonemes(std::string_view text, const std::string &voice)
{
    const std::string input(text);
    std::lock_guard lock(EngineMutex());
    StartEngine();
    SelectVoice(voice);
    std::string phonemes;
    const void *cursor = input.c_str();
    while (cursor != nullptr) {
        const char *clause = espeak_TextToPhonemes(&cursor, espeakCHARS_UTF8, 0);
        if (clause != nullptr && *clause != '\0')
            phonemes += (phonemes.empty() ? "" : " ") + std::string(clause);
    }
    return phonemes;
}

}  // namespace SpeechSynthesizer
