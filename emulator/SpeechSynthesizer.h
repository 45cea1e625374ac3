#pragma once

#include "PcmAudio.h"
#include "SpeechSettings.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

// The process's one speech engine. The engine keeps global state and is not thread-safe, so every
// call here is serialised behind one lock; a text is spoken a group of sentences at a time, each
// group under the lock on its own, so a long task never holds the engine for minutes while short
// requests wait behind it.
namespace SpeechSynthesizer {

// Speaks `text` with the voice SpeechVoice picks for it. Returns std::nullopt as soon as
// `*cancel` turns true, which is checked while the engine produces audio too. Throws
// std::runtime_error when the engine cannot start or lacks the voice.
std::optional<PcmAudio> Speak(std::string_view text, const SpeechSettings &settings,
                              const std::atomic<bool> *cancel = nullptr);

// The engine's own phoneme transcription of `text` read by `voice`, clauses separated by spaces.
// A voice that falls back to another language marks the switch, e.g. "(en)".
std::string Phonemes(std::string_view text, const std::string &voice);

}  // namespace SpeechSynthesizer
