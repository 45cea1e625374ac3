#include "apps/studio/MediaPreview.h"

#include <QLabel>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Playing runs in real time, on a machine that may be busy with other tests.
constexpr int kPatience = 30000;

// Two seconds of a plain picture and a tone.
QString VideoWithSound(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("tone.mp4"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("color=c=blue:s=160x120:r=25:d=2"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=440:duration=2"), QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                  QStringLiteral("-c:a"), QStringLiteral("aac"), path});
    EXPECT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0) << ffmpeg.readAllStandardError().toStdString();
    return path;
}

// The machine's outputs are the test's to say: none at first, as on a machine without sound.
TEST(MediaPreview, WithoutASoundOutputThePicturePlaysSilentAndThePreviewSaysSo)
{
    QTemporaryDir dir;
    const QString video = VideoWithSound(dir);
    MediaPreview preview;
    bool sound = false;
    preview.SetSoundCheck([&sound] { return sound; });
    preview.show();
    preview.Open(video, QString());
    if (!preview.PlayButton()->isEnabled())
        GTEST_SKIP() << "no multimedia backend: " << preview.Message()->text().toStdString();
    EXPECT_TRUE(preview.SoundNote()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview.Time()->text() == QStringLiteral("00:00 / 00:02"); }, kPatience))
        << "the length shows once the file is open, before it plays: " << preview.Time()->text().toStdString();

    preview.PlayButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview.Position() >= 1000; }, kPatience))
        << "it plays on: " << preview.Time()->text().toStdString();
    preview.PlayButton()->click();
    EXPECT_TRUE(preview.SoundNote()->isVisible());

    // An output that comes takes the sound; when the last one goes, the note is back.
    QMediaDevices* devices = preview.findChild<QMediaDevices*>();
    ASSERT_NE(devices, nullptr);
    sound = true;
    emit devices->audioOutputsChanged();
    EXPECT_FALSE(preview.SoundNote()->isVisible());
    sound = false;
    emit devices->audioOutputsChanged();
    EXPECT_TRUE(preview.SoundNote()->isVisible());
    preview.PlayButton()->click();
    ASSERT_EQ(preview.PlayButton()->text(), QStringLiteral("暂停"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview.PlayButton()->text() == QStringLiteral("播放"); }, kPatience))
        << "it plays to its end: " << preview.Time()->text().toStdString();
}

} // namespace
