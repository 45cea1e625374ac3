#include "SpeechVoice.h"

#include "SpeechSettings.h"
#include "Utf8Text.h"

#include <algorithm>
#include <array>

namespace SpeechVoice {

namespace {

constexpr std::array kFemaleVariants = {"f1", "f2", "f3", "f4", "f5"};
constexpr std::array kMaleVariants = {"m1", "m2", "m3", "m4", "m5", "m6", "m7"};

// A speaker of the voice library: its variant, a shift of the engine pitch and its pace in per
// cent of the engine rate.
struct Speaker {
    int person;
    const char *variant;
    int pitchShift;
    int ratePercent;
};

constexpr std::array kSpeakers = {
    Speaker{0, "f2", 12, 100},   Speaker{1, "m1", -10, 92},  Speaker{2, "f1", 0, 100},
    Speaker{3, "m3", 8, 108},    Speaker{4, "f4", 30, 112},  Speaker{5, "m2", -20, 88},
    Speaker{6, "f3", 4, 90},     Speaker{7, "m7", 4, 115},   Speaker{100, "f5", 0, 105},
    Speaker{101, "m4", -15, 90}, Speaker{102, "f2", 22, 92}, Speaker{103, "m6", -5, 100},
};

const Speaker *SpeakerFor(int person)
{
    for (const Speaker &speaker : kSpeakers) {
        if (speaker.person == person)
            return &speaker;
    }
    return nullptr;
}

constexpr int kSlowestRate = 80;
constexpr int kNormalRate = 175;
constexpr int kFastestRate = 450;
constexpr int kNormalPitch = 45;
constexpr int kHighestPitch = 99;
constexpr int kQuietAmplitude = 5;
constexpr int kNormalAmplitude = 100;
constexpr int kLoudestAmplitude = 200;

// Linear from `low` at level 0 to `middle` at the default level, then on to `high` at the top,
// so the default level lands exactly on the engine's own default.
int Scale(int level, int low, int middle, int high)
{
    level = std::clamp(level, SpeechSettings::kMinLevel, SpeechSettings::kMaxLevel);
    constexpr int kMid = SpeechSettings::kDefaultLevel;
    constexpr int kTop = SpeechSettings::kMaxLevel;
    if (level <= kMid)
        return low + (middle - low) * level / kMid;
    return middle + (high - middle) * (level - kMid) / (kTop - kMid);
}

}  // namespace

std::string NameFor(std::string_view text, int person)
{
    const bool chinese = Utf8Text::ContainsCjk(Utf8Text::Decode(text));
    const unsigned index = static_cast<unsigned>(std::max(person, 0)) / 2;
    const Speaker *speaker = SpeakerFor(person);
    const char *variant = speaker               ? speaker->variant
                          : person % 2 == 0 ? kFemaleVariants[index % kFemaleVariants.size()]
                                            : kMaleVariants[index % kMaleVariants.size()];
    return std::string(chinese ? kMandarin : kEnglish) + "+" + variant;
}

int Rate(int speed) { return Scale(speed, kSlowestRate, kNormalRate, kFastestRate); }

int Pitch(int pitch) { return Scale(pitch, 0, kNormalPitch, kHighestPitch); }

int Rate(int speed, int person)
{
    const Speaker *speaker = SpeakerFor(person);
    return speaker ? Rate(speed) * speaker->ratePercent / 100 : Rate(speed);
}

int Pitch(int pitch, int person)
{
    const Speaker *speaker = SpeakerFor(person);
    return speaker ? std::clamp(Pitch(pitch) + speaker->pitchShift, 0, kHighestPitch) : Pitch(pitch);
}

int Amplitude(int volume) { return Scale(volume, kQuietAmplitude, kNormalAmplitude, kLoudestAmplitude); }

}  // namespace SpeechVoice
