// The recognizer both recognition services share: clear failures for audio it cannot use, and
// where its splitter ends sentences. Its words and their times are checked through the services.
#include "FrameEnergies.h"
#include "GeneratedSpeech.h"
#include "SentenceSplitter.h"
#include "SpeechRecognizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using speech_test::kGoForward;
using speech_test::ReadFile;
using speech_test::Wav;

// A nameless file the recognizer reads through its descriptor, as the services hand it over.
class OpenFile {
public:
    explicit OpenFile(const std::string &bytes) : file_(std::tmpfile()), length_(bytes.size())
    {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
        std::fflush(file_);
    }
    ~OpenFile() { std::fclose(file_); }
    AudioSource Source(bool raw = false) const
    {
        AudioSource source;
        source.fd = fileno(file_);
        source.length = length_;
        source.raw = raw;
        return source;
    }

private:
    std::FILE *file_;
    std::size_t length_;
};

TEST(RecognizerTest, AudioItCannotUseFailsWithAReason)
{
    struct Case {
        const char *name;
        std::string bytes;
        bool raw;
        SpeechRecognizer::Failure failure;
    } cases[] = {
        {"not audio", std::string(5000, 'x'), false, SpeechRecognizer::Failure::Unreadable},
        {"nothing at all", "", false, SpeechRecognizer::Failure::Unreadable},
        {"a header without samples", Wav({}), false, SpeechRecognizer::Failure::Empty},
        {"raw bytes, none whole", "x", true, SpeechRecognizer::Failure::Empty},
    };
    SpeechRecognizer recognizer;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const OpenFile file(c.bytes);
        const auto outcome = recognizer.Recognize(file.Source(c.raw), SpeechRecognizer::Language::Mandarin);
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_FALSE(outcome.error.empty());
        EXPECT_TRUE(outcome.sentences.empty());
    }

    // Silence is audio, just without sentences.
    const OpenFile silence(Wav(std::vector<std::int16_t>(32000)));
    const auto quiet = recognizer.Recognize(silence.Source(), SpeechRecognizer::Language::English);
    EXPECT_EQ(quiet.failure, SpeechRecognizer::Failure::None) << quiet.error;
    EXPECT_TRUE(quiet.sentences.empty());
    EXPECT_EQ(quiet.durationMs, 2000);

    std::atomic<bool> stopped{true};
    const OpenFile speech(ReadFile(kGoForward));
    EXPECT_EQ(recognizer.Recognize(speech.Source(true), SpeechRecognizer::Language::English, &stopped).failure,
              SpeechRecognizer::Failure::Cancelled);
}

struct Burst {
    int beginMs;
    int endMs;
    double amplitude;
};

// Tone bursts over a hiss of `noise` amplitude, measured as the recognizer measures audio.
std::vector<SentenceSplitter::Span> SplitBursts(const std::vector<Burst> &bursts, double noise)
{
    int lengthMs = 4000;
    for (const auto &burst : bursts)
        lengthMs = std::max(lengthMs, burst.endMs + 500);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(lengthMs) * 16);
    unsigned seed = 1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        double value = noise * ((seed >> 16) % 2001 / 1000.0 - 1.0);
        const double ms = i / 16.0;
        for (const auto &burst : bursts) {
            if (ms >= burst.beginMs && ms < burst.endMs)
                value += burst.amplitude * std::sin(2 * M_PI * 220 * i / 16000.0);
        }
        samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
    }
    FrameEnergies energies(160);
    energies.Add(samples.data(), samples.size());
    energies.Finish();
    return SentenceSplitter::Split(energies.Db());
}

// Tone bursts at known places: the splitter's own decisions, without a decoder in between.
TEST(SentenceSplitterTest, BurstsAndPausesAtKnownPlaces)
{
    struct Case {
        const char *name;
        std::vector<Burst> bursts;
        double noise;  // amplitude of the background hiss
        std::vector<std::pair<int, int>> sentences;
    } cases[] = {
        {"two sentences", {{500, 1500, 0.3}, {2500, 3000, 0.3}}, 0, {{500, 1500}, {2500, 3000}}},
        {"a short pause joins", {{500, 1000, 0.3}, {1200, 1800, 0.3}}, 0, {{500, 1800}}},
        {"a click is no sentence", {{500, 550, 0.5}, {1500, 2500, 0.2}}, 0, {{1500, 2500}}},
        {"voice over steady hiss", {{1000, 2000, 0.2}, {3000, 3600, 0.2}}, 0.01, {{1000, 2000}, {3000, 3600}}},
        {"too quiet to be voice", {{500, 1500, 0.002}}, 0, {}},
        {"crackle in the background", {{500, 520, 0.3}, {700, 715, 0.3}, {900, 920, 0.3}}, 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto spans = SplitBursts(c.bursts, c.noise);
        ASSERT_EQ(spans.size(), c.sentences.size());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            EXPECT_NEAR(spans[i].begin * 10, c.sentences[i].first, 20);
            EXPECT_NEAR(spans[i].end * 10, c.sentences[i].second, 20);
        }
    }
}

// Syllables with short gaps for 45 seconds, never pausing long enough to end a sentence.
TEST(SentenceSplitterTest, ASentenceWithoutPausesIsCutAtItsQuietestFrames)
{
    std::vector<Burst> syllables;
    for (int ms = 0; ms < 45000; ms += 300)
        syllables.push_back({ms, ms + 200, 0.3});
    const auto spans = SplitBursts(syllables, 0);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_NEAR(spans.front().begin * 10, 0, 20);
    EXPECT_NEAR(spans.back().end * 10, 44900, 20);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_LE(spans[i].end - spans[i].begin, 2000);
        if (i + 1 < spans.size()) {
            EXPECT_GE(spans[i].end - spans[i].begin, 1900) << "cut as late as a quiet frame allows";
            EXPECT_LE(spans[i + 1].begin - spans[i].end, 10) << "the cut loses only the gap it was made in";
        }
    }
}

}  // namespace
