#include "subtitles/SubtitlesLayout.h"
#include "subtitles/SubtitlesSource.h"

#include <gtest/gtest.h>

namespace {

TEST(SubtitlesSource, VideosAreKnownByTheirWholeExtensionInAnyCase)
{
    const std::pair<const char*, bool> cases[] = {
        {"/m/clip.ts", true},        {"/m/clip.TS", true},    {"/m/a.b/clip.Mp4", true},
        {"/m/clip.rmvb", true},      {"/m/clip.3gp", true},   {"/m/clip.mxf", true},
        {"/m/clip.mpeg", true},      {"/m/song.wav", false},  {"/m/song.mp3", false},
        {"/m/clip.mts", false},      {"/m/clip.s", false},    {"/m/clip.v", false},
        {"/m/clip.eg", false},       {"/m/mp4", false},       {"/m/clip.mp4/song.wav", false},
        {"", false},
    };
    for (const auto& [path, video] : cases)
        EXPECT_EQ(SubtitlesSource::IsVideo(QString::fromUtf8(path)), video) << path;
}

TEST(SubtitlesSource, TheModelListsItemsStandForTheirCloudModels)
{
    const int expected[][2] = {{0, 80001}, {1, 80006}, {2, 1737}, {-1, 1737}, {7, 1737}};
    for (const auto& e : expected)
        EXPECT_EQ(SubtitlesSource::ModelForChoice(e[0]), e[1]) << e[0];
}

TEST(SubtitlesSource, ObjectIdentifiersAreReadWithOrWithoutBraces)
{
    const QUuid id = QUuid::fromString(QStringLiteral("{7cf60c8a-f809-4c54-91d8-12ee7f6539cd}"));
    const std::pair<const char*, QUuid> cases[] = {
        {"{7CF60C8A-F809-4C54-91D8-12EE7F6539CD}", id}, {"7cf60c8a-f809-4c54-91d8-12ee7f6539cd", id},
        {" {7cf60c8a-f809-4c54-91d8-12ee7f6539cd} ", id}, {"not an identifier", QUuid()},
        {"{7cf60c8a-f809-4c54-91d8}", QUuid()},         {"", QUuid()},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(SubtitlesSource::ObjectIdFromText(QString::fromUtf8(text)), expected) << text;
}

TEST(SubtitlesLayoutRules, ControlsKeepTheirPlacesAndTheWideOnesFollowTheWidth)
{
    const SubtitlesLayout wide = SubtitlesLayout::For({920, 680});
    EXPECT_EQ(wide.tab, QRect(0, 0, 920, 25));
    EXPECT_EQ(wide.picture, QRect(5, 30, 160, 180));
    EXPECT_EQ(wide.modelLabel, QRect(5, 220, 60, 20));
    EXPECT_EQ(wide.model, QRect(65, 220, 175, 20));
    EXPECT_EQ(wide.userButton, QRect(5, 220, 100, 28));
    EXPECT_EQ(wide.start, QRect(5, 250, 100, 28));
    EXPECT_EQ(wide.status, QRect(105, 248, 810, 35));
    EXPECT_EQ(wide.history, QRect(5, 283, 80, 20));
    EXPECT_EQ(wide.selectedFile, QRect(20, 308, 895, 40));

    const SubtitlesLayout narrow = SubtitlesLayout::For({100, 300});
    EXPECT_EQ(narrow.tab.width(), 100);
    EXPECT_EQ(narrow.status.width(), 0);
    EXPECT_EQ(narrow.selectedFile.width(), 75);
}

} // namespace
