#include "mediakit/SpeechClip.h"
#include "mediakit/SpeechMix.h"
#include "mediakit/TempoChange.h"
#include "mediakit/TrackEncoder.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

std::vector<float> Tone(double hertz, int rate, double seconds, float level = 0.5F)
{
    std::vector<float> samples(size_t(rate * seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = level * float(std::sin(2.0 * std::numbers::pi * hertz * double(i) / rate));
    return samples;
}

// Upward zero crossings a second: a tone's pitch, whatever its length. A crossing counts only
// after the wave has gone well below zero, so a codec's noise around zero adds none.
double Pitch(const std::vector<float>& samples, int rate)
{
    int crossings = 0;
    bool below = false;
    for (const float sample : samples) {
        if (sample < -0.1F) {
            below = true;
        } else if (below && sample >= 0.0F) {
            ++crossings;
            below = false;
        }
    }
    return crossings * double(rate) / double(samples.size());
}

TEST(TrackAudio, AWavTrackDecodesBackSampleForSampleAndResampledToAnyRate)
{
    QTemporaryDir dir;
    const std::vector<float> tone = Tone(440.0, 24000, 0.5);
    const QString wav = dir.filePath(QStringLiteral("track.wav"));
    QString error;
    ASSERT_TRUE(TrackEncoder::Write(tone, 24000, false, wav, error)) << error.toStdString();

    std::vector<float> back;
    int rate = 0;
    ASSERT_TRUE(SpeechClip::Decode(wav, 0, back, rate, error)) << error.toStdString();
    EXPECT_EQ(rate, 24000) << "rate 0 keeps the file's own";
    ASSERT_EQ(back.size(), tone.size());
    for (size_t i = 0; i < tone.size(); ++i)
        ASSERT_NEAR(back[i], tone[i], 2.0 / 32767) << i;

    ASSERT_TRUE(SpeechClip::Decode(wav, 16000, back, rate, error)) << error.toStdString();
    EXPECT_EQ(rate, 16000);
    EXPECT_NEAR(double(back.size()), 8000.0, 32.0);
    EXPECT_NEAR(Pitch(back, rate), 440.0, 10.0);
}

TEST(TrackAudio, AnMp3TrackKeepsItsLengthAndPitch)
{
    QTemporaryDir dir;
    const std::vector<float> tone = Tone(440.0, 16000, 1.0);
    const QString mp3 = dir.filePath(QStringLiteral("track.mp3"));
    QString error;
    ASSERT_TRUE(TrackEncoder::Write(tone, 16000, true, mp3, error)) << error.toStdString();
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(3);
    ASSERT_EQ(head.size(), 3);
    EXPECT_TRUE(head == "ID3" || uchar(head[0]) == 0xFF) << "an MP3 stream, not a WAV file";

    std::vector<float> back;
    int rate = 0;
    ASSERT_TRUE(SpeechClip::Decode(mp3, 0, back, rate, error)) << error.toStdString();
    EXPECT_EQ(rate, 16000);
    EXPECT_NEAR(double(back.size()), double(tone.size()), 0.1 * double(tone.size()));
    EXPECT_NEAR(Pitch(back, rate), 440.0, 10.0);
}

TEST(TrackAudio, ATrackEncodedBlockByBlockIsTheFileEncodedWhole)
{
    QTemporaryDir dir;
    const int rate = 16000;
    const std::vector<float> tone = Tone(440.0, rate, 1.3);
    for (const bool mp3 : {false, true}) {
        SCOPED_TRACE(mp3 ? "mp3" : "wav");
        QString error;
        const QString whole = dir.filePath(QStringLiteral("whole"));
        ASSERT_TRUE(TrackEncoder::Write(tone, rate, mp3, whole, error)) << error.toStdString();
        // Blocks that are no multiple of any frame, the last one short.
        const QString blocks = dir.filePath(QStringLiteral("blocks"));
        TrackEncoder encoder;
        ASSERT_TRUE(encoder.Open(rate, mp3, blocks, error)) << error.toStdString();
        for (size_t at = 0; at < tone.size(); at += 1000)
            ASSERT_TRUE(encoder.Add(tone.data() + at, std::min<size_t>(1000, tone.size() - at), error));
        ASSERT_TRUE(encoder.Finish(error)) << error.toStdString();
        QFile a(whole);
        QFile b(blocks);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray wholeBytes = a.readAll();
        EXPECT_GT(wholeBytes.size(), 1000);
        EXPECT_TRUE(wholeBytes == b.readAll());
    }
}

TEST(TrackAudio, TempoShortensSpeechAndKeepsItsPitch)
{
    const int rate = 16000;
    const std::vector<float> tone = Tone(300.0, rate, 2.0);
    for (const double factor : {1.25, 1.5}) {
        SCOPED_TRACE(factor);
        std::vector<float> faster;
        QString error;
        ASSERT_TRUE(TempoChange::Apply(tone, rate, factor, faster, error)) << error.toStdString();
        EXPECT_NEAR(double(faster.size()), double(tone.size()) / factor, 0.03 * double(tone.size()));
        // Played faster by resampling, the tone would rise to 300 * factor.
        EXPECT_NEAR(Pitch(faster, rate), 300.0, 15.0);
    }
}

TEST(TrackAudio, WhatCannotBeReadOrWrittenSaysWhy)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.mp3"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a sound at all, only words\n");
    file.close();
    for (const QString& path : {dir.filePath(QStringLiteral("missing.wav")), text}) {
        std::vector<float> samples;
        int rate = 0;
        QString error;
        EXPECT_FALSE(SpeechClip::Decode(path, 0, samples, rate, error)) << path.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    QString error;
    EXPECT_FALSE(TrackEncoder::Write(Tone(440.0, 16000, 0.1), 16000, false,
                                     dir.filePath(QStringLiteral("gone/track.wav")), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SpeechMix, OnlyOverlapsAreLimitedAndTheTrackGrowsToItsLastClip)
{
    // Blocks that split the clips and their overlap anywhere make the same track; a clip is laid in
    // just before the first block that reaches it.
    for (const int64_t blockSize : {1, 3, 4, 100}) {
        SCOPED_TRACE(blockSize);
        const std::vector<std::pair<int64_t, std::vector<float>>> clips = {
            {0, std::vector<float>(4, 0.95F)},
            {3, std::vector<float>(4, 0.7F)},  // overlaps the first clip at sample 3
            {8, std::vector<float>(5, -0.9F)}, // runs past the track's end
        };
        SpeechMix mix(10);
        std::vector<float> track;
        std::vector<float> block;
        size_t next = 0;
        do {
            for (; next < clips.size() && clips[next].first < mix.Position() + blockSize; ++next)
                mix.Add(clips[next].first, clips[next].second);
            mix.Next(blockSize, block);
            EXPECT_LE(int64_t(block.size()), blockSize);
            track.insert(track.end(), block.begin(), block.end());
        } while (!block.empty());
        ASSERT_EQ(track.size(), 13u);
        EXPECT_EQ(track[0], 0.95F) << "a clip alone keeps its level, even above the knee";
        EXPECT_GT(track[3], SpeechMix::kKnee);
        EXPECT_LT(track[3], 1.0F) << "the sum 1.65 is bent below full scale";
        EXPECT_EQ(track[4], 0.7F);
        EXPECT_EQ(track[7], 0.0F);
        EXPECT_EQ(track[12], -0.9F);
        mix.Next(blockSize, block);
        EXPECT_TRUE(block.empty());
    }

    // The bend is continuous at the knee and keeps the sign.
    EXPECT_FLOAT_EQ(SpeechMix::Limit(SpeechMix::kKnee), SpeechMix::kKnee);
    EXPECT_NEAR(SpeechMix::Limit(SpeechMix::kKnee + 1e-4F), SpeechMix::kKnee + 1e-4F, 1e-5F);
    EXPECT_FLOAT_EQ(SpeechMix::Limit(-3.0F), -SpeechMix::Limit(3.0F));
}

} // namespace
