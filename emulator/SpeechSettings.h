#pragma once

// How a text is to be spoken, on the 0..15 scales both speech endpoints take.
struct SpeechSettings {
    static constexpr int kMinLevel = 0;
    static constexpr int kMaxLevel = 15;
    static constexpr int kDefaultLevel = 5;

    int speed = kDefaultLevel;
    int pitch = kDefaultLevel;
    int volume = kDefaultLevel;
    int person = 0;  // the voice number clients pick a speaker with

    static constexpr bool IsLevel(int value) { return value >= kMinLevel && value <= kMaxLevel; }
};
