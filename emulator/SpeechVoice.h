#pragma once

#include <string>
#include <string_view>

// Maps what a client asks for (voice number, 0..15 levels) onto the speech engine's voices and
// parameters, so both speech endpoints sound alike for the same request.
namespace SpeechVoice {

// The engine voice that reads Chinese characters with Mandarin phonemes; the plain Chinese voice
// of the packaged engine spells their romanisation out with English letter sounds instead.
inline constexpr const char *kMandarin = "cmn-latn-pinyin";
inline constexpr const char *kEnglish = "en-us";

// The base voice for the text (Mandarin when it holds any CJK character, else English) plus a
// variant picked by the voice number: even numbers speak with a female variant, odd ones with a
// male variant. The numbers of the voice library (0 to 7, 100 to 103) each have a speaker of
// their own; other numbers cycle through the variants.
std::string NameFor(std::string_view text, int person);

// Words per minute: 0 -> 80, 5 -> 175 (the engine's normal rate), 15 -> 450.
int Rate(int speed);
// Engine pitch 0..99: 0 -> 0, 5 -> 45, 15 -> 99.
int Pitch(int pitch);
// The same for a voice number: a voice library speaker talks a little higher or lower, faster or
// slower than the level alone says, so no two of them sound alike.
int Rate(int speed, int person);
int Pitch(int pitch, int person);
// Engine amplitude: 0 -> barely audible, 5 -> 100 (normal), 15 -> 200.
int Amplitude(int volume);

}  // namespace SpeechVoice
