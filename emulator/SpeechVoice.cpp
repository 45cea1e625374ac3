#include "SpeechVoice.h"

#include "SpeechSettings.h"
#include "Utf8Text.h"

#include <algorithm>
#include <array>

namespace SpeechVoice {

namespace {

constexpr std::array kFemaleVariants = {"f1", "f2", "f3", "f4", "f5"};
constexpr std::array kMaleVariants = {"m1", "m2", "m3", "m4", "m5", "m6", "m7"};

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
    const char *variant = person % 2 == 0 ? kFemaleVariants[index % kFemaleVariants.size()]
                                          : kMaleVariants[index % kMaleVariants.size()];
    return std::string(chinese ? kMandarin : kEnglish) + "+" + variant;
}

int Rate(int speed) { return Scale(speed, kSlowestRate, kNormalRate, kFastestRate); }

int Pitch(int pitch) { return Scale(pitch, 0, kNormalPitch, kHighestPitch); }

int Amplitude(int volume) { return Scale(volume, kQuietAmplitude, kNormalAmplitude, kLoudestAmplitude); }

}  // namespace SpeechVoice
