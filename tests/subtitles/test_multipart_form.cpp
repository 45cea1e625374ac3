#include "mediakit/CodePage936.h"
#include "subtitles/MultipartFormBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Delimiter(const MultipartFormBuilder& builder)
{
    return "\r\n--" + builder.Boundary();
}

std::string WriteFile(const QTemporaryDir& dir, const char* name, const std::string& bytes)
{
    const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(MultipartBody, PartsFollowALeadingLineBreakTextFirstAndFilesByteForByte)
{
    QTemporaryDir dir;
    const std::string audio("RIFF\r\n\0\x1a\xff\n\r--end", 15);
    const std::string first = WriteFile(dir, "first.wav", audio);
    const std::string second = WriteFile(dir, "notes.TXT", "line\n");

    MultipartFormBuilder builder;
    builder.AddFilePart("content", first);
    builder.AddTextPart("slice_id", "aaaaaaaaaa");
    builder.AddFilePart("extra", second);
    builder.AddTextPart("ts", "1700000000");
    ASSERT_TRUE(builder.Build());

    const std::string d = Delimiter(builder);
    const std::string expected =
        d + "\r\nContent-Disposition: form-data; name=\"slice_id\"\r\n\r\naaaaaaaaaa" +
        d + "\r\nContent-Disposition: form-data; name=\"ts\"\r\n\r\n1700000000" +
        d + "\r\nContent-Disposition: form-data; name=\"content\"; filename=\"first.wav\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n" + audio +
        d + "\r\nContent-Disposition: form-data; name=\"extra\"; filename=\"notes.TXT\"\r\n"
            "Content-Type: text/plain\r\n\r\nline\n" +
        d + "--\r\n";
    EXPECT_EQ(builder.Body(), expected);
    EXPECT_EQ(builder.ContentType(), "multipart/form-data; boundary=" + builder.Boundary());
}

TEST(MultipartBody, AFileThatCannotBeReadFailsTheBuild)
{
    QTemporaryDir dir;
    for (const std::string& path : {dir.filePath(QStringLiteral("missing.wav")).toStdString(), dir.path().toStdString(),
                                    std::string()}) {
        SCOPED_TRACE(path);
        MultipartFormBuilder builder;
        builder.AddTextPart("a", "1");
        builder.AddFilePart("content", path);
        EXPECT_FALSE(builder.Build());
        EXPECT_TRUE(builder.Body().empty());
    }
}

TEST(MultipartBoundary, PrefixAndSixteenCharactersDrawnWithRandModuloTheAlphabet)
{
    const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::srand(20240305);
    std::string expected = "----CppRestSdkClient";
    for (int i = 0; i < 16; ++i)
        expected += alphabet[size_t(std::rand() % 62)];
    std::srand(20240305);
    const MultipartFormBuilder first;
    EXPECT_EQ(first.Boundary(), expected);
    const MultipartFormBuilder second;
    EXPECT_NE(second.Boundary(), first.Boundary()) << "each builder draws its own boundary";
}

TEST(MultipartFileParts, NameAfterTheLastSeparatorAndTypeByExtension)
{
    struct Case
    {
        std::string path;
        std::string name;
        std::string type;
    };
    const Case cases[] = {
        {"C:\\media\\x.JPG", "x.JPG", "image/jpeg"},
        {"/tmp/photo.jpeg", "photo.jpeg", "image/jpeg"},
        {"mixed/dir\\run.Log", "run.Log", "text/plain"},
        {"/tmp/readme.txt", "readme.txt", "text/plain"},
        {"/tmp/voice.wav", "voice.wav", "application/octet-stream"},
        {"/tmp/voice.mp3", "voice.mp3", "application/octet-stream"},
        {"/tmp/a.jpg/noext", "noext", "application/octet-stream"},
        {"plain", "plain", "application/octet-stream"},
        {"/tmp/dir/", "", "application/octet-stream"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(MultipartFormBuilder::FileNameOf(c.path), c.name);
        EXPECT_EQ(MultipartFormBuilder::ContentTypeOf(c.name), c.type);
    }
    // 乗 is 0x81 0x5C in code page 936: its second byte must not split the name.
    EXPECT_EQ(CodePage936::ToUtf8(MultipartFormBuilder::FileNameOf(CodePage936::FromUtf8("D:\\音频\\乗.wav"))), "乗.wav");
}

} // namespace
