#include "GeneratedSpeech.h"

#include "SpeechSynthesizer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

GeneratedSpeech GeneratedSpeech::Make(const std::vector<std::string> &texts, const std::vector<int> &pausesMs)
{
    constexpr int kAudible = 330;  // -40 dBFS
    GeneratedSpeech speech;
    EXPECT_EQ(pausesMs.size(), texts.size() + 1);
    for (std::size_t i = 0; i < texts.size() && i + 1 < pausesMs.size(); ++i) {
        const auto spoken = SpeechSynthesizer::Speak(texts[i], SpeechSettings{});
        EXPECT_TRUE(spoken.has_value());
        if (!spoken)
            return speech;
        speech.pcm.sampleRate = spoken->sampleRate;
        auto &samples = speech.pcm.samples;
        samples.insert(samples.end(), static_cast<std::size_t>(pausesMs[i]) * spoken->sampleRate / 1000, 0);
        const auto &s = spoken->samples;
        std::size_t first = 0;
        std::size_t last = s.size();
        while (first < last && std::abs(s[first]) < kAudible)
            ++first;
        while (last > first && std::abs(s[last - 1]) < kAudible)
            --last;
        const double rate = spoken->sampleRate / 1000.0;
        speech.sentences.push_back({samples.size() / rate, (samples.size() + last - first) / rate});
        samples.insert(samples.end(), s.begin() + static_cast<std::ptrdiff_t>(first), s.begin() + static_cast<std::ptrdiff_t>(last));
    }
    speech.pcm.samples.insert(speech.pcm.samples.end(),
                              static_cast<std::size_t>(pausesMs.back()) * speech.pcm.sampleRate / 1000, 0);
    return speech;
}

namespace speech_test {

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Wav(const std::vector<std::int16_t> &samples)
{
    const auto le = [](std::uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string wav = "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(16000, 4) +
                      le(32000, 4) + le(2, 2) + le(16, 2) + "data" + le(dataBytes, 4);
    wav.append(reinterpret_cast<const char *>(samples.data()), dataBytes);
    return wav;
}

std::string WavOfRaw(const std::string &path)
{
    const std::string raw = ReadFile(path);
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return Wav(samples);
}

}  // namespace speech_test
