#include "host/CQOVReadFile.h"
#include "host/CZuBuffer.h"
#include "host/QOVDigest.h"
#include "host/QOVFileName.h"
#include "host/QOVPaths.h"
#include "host/QOVStringTable.h"
#include "host/QOVSystem.h"
#include "host/ZBase64.h"

#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(HostPaths, FoldersComeFromTheEnvironmentAndAreMadeWithTheirParents)
{
    qputenv("QOV_APP_DIR", "/opt/qov/app/");
    qputenv("QOV_CONFIG_DIR", "/home/u/.config/qov");
    qputenv("QOV_WORK_DIR", "/home/u/QOV//");
    EXPECT_EQ(ZuGetAppPath(), QStringLiteral("/opt/qov/app"));
    EXPECT_EQ(ZuGetPath(ZU_PATH_APP_ROOT), QStringLiteral("/opt/qov/app/"));
    EXPECT_EQ(ZuGetPath(ZU_PATH_CONFIG), QStringLiteral("/home/u/.config/qov"));
    EXPECT_EQ(ZuGetPath(ZU_PATH_WORK), QStringLiteral("/home/u/QOV"));
    EXPECT_EQ(ZuGetPath(7), QString());

    qunsetenv("QOV_WORK_DIR");
    qunsetenv("QOV_CONFIG_DIR");
    EXPECT_EQ(ZuGetPath(ZU_PATH_WORK), QDir::homePath() + QStringLiteral("/QOV"));
    EXPECT_EQ(ZuGetPath(ZU_PATH_CONFIG), QDir::homePath() + QStringLiteral("/.config/qov"));

    QTemporaryDir root;
    const QString deep = root.filePath(QStringLiteral("a/b/c/"));
    EXPECT_NE(ZuCreateDirectory(deep, 0), 0);
    EXPECT_TRUE(QDir(deep).exists());
    EXPECT_NE(ZuCreateDirectory(deep, 0), 0) << "an existing folder is fine";
}

TEST(HostStrings, TableKnowsTheModuleKeysAndEchoesOthers)
{
    for (const char* key : {"GLOBAL_IDC_OK", "GLOBAL_IDC_CANCEL", "GLOBAL_FILE_SAVE", "LANG_OPEN_PGM",
                            "NLE_CHECK_INFO", "NLE_ACCESS_FAIL_OR_STOP", "NLE_PREPARE_FAIL", "NLE_UPLOAD_FAIL",
                            "NLE_MERGE_FAIL"}) {
        const QString text = ZuLoadString(QString::fromUtf8(key));
        EXPECT_FALSE(text.isEmpty());
        EXPECT_NE(text, QString::fromUtf8(key)) << key << " has no readable text";
    }
    EXPECT_EQ(ZuLoadString(QStringLiteral("AI 配音")), QStringLiteral("AI 配音"));
    EXPECT_EQ(ZuLoadString(QStringLiteral("NO_SUCH_KEY")), QStringLiteral("NO_SUCH_KEY"));
}

TEST(HostStrings, PathPartsAndSplitting)
{
    struct Case
    {
        const char* path;
        const char* name;
        const char* ext;
        const char* noExt;
    };
    const Case cases[] = {
        {"/w/AIAudio/Audio2024.mp3", "Audio2024.mp3", "mp3", "Audio2024"},
        {"clip.final.MP4", "clip.final.MP4", "MP4", "clip.final"},
        {"/w/noext", "noext", "", "noext"},
        {"/w/dir.d/file", "file", "", "file"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ZuGetFileName(QString::fromUtf8(c.path)), QString::fromUtf8(c.name));
        EXPECT_EQ(ZuGetFileExt(QString::fromUtf8(c.path)), QString::fromUtf8(c.ext));
        EXPECT_EQ(ZuGetFileNameNoExt(QString::fromUtf8(c.path)), QString::fromUtf8(c.noExt));
    }

    QStringList parts{QStringLiteral("stale")};
    EXPECT_EQ(SplitString(QStringLiteral("/a.png|/b.png|"), parts, QStringLiteral("|"), 0), 2);
    EXPECT_EQ(parts, (QStringList{QStringLiteral("/a.png"), QStringLiteral("/b.png")}));
    EXPECT_EQ(SplitString(QStringLiteral("a||b|"), parts, QStringLiteral("|"), 1), 4);
    EXPECT_EQ(SplitString(QString(), parts, QStringLiteral("|"), 0), 0);
}

TEST(HostTextFile, WritesUtf8AndReadsLinesWithoutBreaks)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.srt"));
    CQOVReadFile writer;
    ASSERT_NE(writer.Open(path, CQOVReadFile::ModeWrite), 0);
    ASSERT_NE(writer.WriteString(QStringLiteral("1\r\n00:00:01,000 --> 00:00:02,500\r\n你好\n\nlast")), 0);
    writer.Close();

    CQOVReadFile reader;
    ASSERT_NE(reader.Open(path, CQOVReadFile::ModeRead), 0);
    QStringList lines;
    QString line;
    while (reader.ReadString(line))
        lines << line;
    EXPECT_EQ(lines, (QStringList{QStringLiteral("1"), QStringLiteral("00:00:01,000 --> 00:00:02,500"),
                                  QStringLiteral("你好"), QString(), QStringLiteral("last")}));
    EXPECT_EQ(reader.WriteString(QStringLiteral("x")), 0) << "a file opened for reading is not written";

    CQOVReadFile missing;
    EXPECT_EQ(missing.Open(dir.filePath(QStringLiteral("none/x.txt")), CQOVReadFile::ModeRead), 0);
    EXPECT_EQ(missing.ReadString(line), 0);

    const QString bom = dir.filePath(QStringLiteral("bom.txt"));
    ASSERT_TRUE(WriteBytes(bom, "\xEF\xBB\xBF" "first\nsecond"));
    CQOVReadFile marked;
    ASSERT_NE(marked.Open(bom, CQOVReadFile::ModeRead), 0);
    ASSERT_NE(marked.ReadString(line), 0);
    EXPECT_EQ(line, QStringLiteral("first")) << "a byte-order mark is no text";
}

TEST(HostDigest, Md5Base64AndGuidText)
{
    EXPECT_EQ(MD5String(""), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(MD5String("abc"), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(MD5String("中文"), QStringLiteral("a7bac2239fcdcb3a067903d8077c4a07"));

    const unsigned char bytes[] = {0xFF, 0x00, 'M', 'a'};
    EXPECT_EQ(ZBase64::Encode(bytes, 4), QStringLiteral("/wBNYQ=="));
    EXPECT_EQ(ZBase64::Encode(bytes, 0), QString());

    const QString guid = QOVNewGuidText();
    EXPECT_EQ(guid.size(), 36);
    EXPECT_EQ(guid, guid.toLower());
    EXPECT_FALSE(guid.contains(QLatin1Char('{')));
    EXPECT_EQ(QOVGuidToString(QOVGuidFromString(guid)), guid);
    EXPECT_EQ(QOVGuidToString(QOVGuidFromString(QStringLiteral("{0B96C2D8-03B7-4272-920E-5AEA31E27E1D}"))),
              QStringLiteral("0b96c2d8-03b7-4272-920e-5aea31e27e1d"));
    EXPECT_TRUE(QOVGuidFromString(QStringLiteral("not a guid")).isNull());
}

TEST(HostDebugOutput, TokensShowOnlyTheirFirstFourCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"POST /tts/v1/create?access_token=24.abcdef&x=1", "POST /tts/v1/create?access_token=24.a…&x=1"},
        {"tex=你好&lan=zh&tok=0123456789abcdef&spd=5", "tex=你好&lan=zh&tok=0123…&spd=5"},
        {R"(token: {"access_token":"0123456789abcdef","expires_in":30})",
         R"(token: {"access_token":"0123…","expires_in":30})"},
        {"stok=0123456789 kept", "stok=0123456789 kept"},
        {R"({"refresh_token":"25.abcdef","data":{"Session_Key":"9876543","SESSION_SECRET":"x\"yz12","pin":7},)"
         R"("password":123456} client_secret=abcdefg)",
         R"({"refresh_token":"25.a…","data":{"Session_Key":"9876…","SESSION_SECRET":"x\"yz…","pin":7},)"
         R"("password":1234…} client_secret=abcd…)"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(QOVMaskTokens(QString::fromUtf8(text)), QString::fromUtf8(shown));
}

TEST(HostFrameRate, ComesFromTheEnvironmentWithADefault)
{
    qunsetenv("QOV_FRAME_RATE");
    EXPECT_FLOAT_EQ(QOVGetSysFrameRate(), 25.0f);
    qputenv("QOV_FRAME_RATE", "29.97");
    EXPECT_FLOAT_EQ(QOVGetSysFrameRate(), 29.97f);
    qputenv("QOV_FRAME_RATE", "-5");
    EXPECT_FLOAT_EQ(QOVGetSysFrameRate(), 25.0f);
}

TEST(HostPixelBuffer, LoadsFilesAsArgbAndDrawsScaled)
{
    QTemporaryDir dir;
    QImage source(4, 2, QImage::Format_RGB888);
    source.fill(QColor(200, 10, 10));
    const QString jpg = dir.filePath(QStringLiteral("ref.JPG"));
    ASSERT_TRUE(source.save(jpg, "JPG"));

    CZuBuffer buffer(0xFFFFFFFF);
    EXPECT_TRUE(buffer.IsEmpty());
    ASSERT_NE(buffer.CreateFromFile(jpg), 0);
    EXPECT_EQ(buffer.Image().format(), QImage::Format_ARGB32);
    EXPECT_EQ(buffer.GetWidth(), 4);

    QImage canvas(8, 4, QImage::Format_ARGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        buffer.StretchBltToDC(&painter, QRect(0, 0, 8, 4), QRect(), 1);
    }
    EXPECT_GT(qRed(canvas.pixel(7, 3)), 150);

    EXPECT_EQ(buffer.CreateFromFile(dir.filePath(QStringLiteral("missing.png"))), 0);
    EXPECT_TRUE(buffer.IsEmpty());
    EXPECT_EQ(buffer.CreateFromImageResource(nullptr, 9999, QStringLiteral("PNG")), 0);
}

} // namespace
