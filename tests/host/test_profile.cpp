#include "host/QOVProfile.h"

#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The file's permission bits, -1 when it is not there.
int Mode(const QString& path)
{
    struct stat status{};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

class ProfileFile : public ::testing::Test
{
protected:
    QString Write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("settings.ini"));
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    QString Read(const QString& path, const char* section, const char* key, const char* fallback = "")
    {
        QString out = QStringLiteral("untouched");
        GetPrivateProfileStringW(QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(fallback), out,
                                 255, path);
        return out;
    }

    QTemporaryDir m_dir;
};

struct LookupCase
{
    const char* section;
    const char* key;
    const char* expected;
};

TEST_F(ProfileFile, LookupFollowsTheOriginalPlatformRules)
{
    const QString path = Write("\xEF\xBB\xBF"
                               "; a comment line\r\n"
                               "[Token]\r\n"
                               "URL = http://a.example/token  \r\n"
                               "  Quoted=\"  keep inner blanks \"\r\n"
                               "Single='x'\r\n"
                               "OnlyOpen=\"abc\r\n"
                               "Equals=a=b=c\r\n"
                               "Empty=\r\n"
                               ";URL=commented out\r\n"
                               "[token]\r\n"
                               "Later=from the second section of the same name\r\n"
                               "[Copywriting]\n"
                               "url=http://chat\n"
                               "名称=中文值\n");
    const LookupCase cases[] = {
        {"Token", "URL", "http://a.example/token"},
        {"TOKEN", "url", "http://a.example/token"},
        {"Token", "Quoted", "  keep inner blanks "},
        {"Token", "Single", "x"},
        {"Token", "OnlyOpen", "\"abc"},
        {"Token", "Equals", "a=b=c"},
        {"Token", "Empty", ""},
        {"Token", "Later", "fallback"},
        {"Token", "Missing", "fallback"},
        {"Copywriting", "URL", "http://chat"},
        {"Copywriting", "名称", "中文值"},
        {"NoSuchSection", "URL", "fallback"},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(Read(path, c.section, c.key, "fallback"), QString::fromUtf8(c.expected));
    }
}

TEST_F(ProfileFile, IntegersTakeTheLeadingNumber)
{
    const QString path = Write("[Copywriting]\nFontSize=14pt\nNeg=-3\nWord=big\nBlank=\nHuge=99999999999\n");
    const auto number = [&](const char* key, int fallback) {
        return GetPrivateProfileIntW(QStringLiteral("copywriting"), QString::fromUtf8(key), fallback, path);
    };
    EXPECT_EQ(number("FontSize", 10), 14);
    EXPECT_EQ(number("Neg", 10), -3);
    EXPECT_EQ(number("Word", 10), 0);
    EXPECT_EQ(number("Blank", 10), 0);
    EXPECT_EQ(number("Absent", 10), 10);
    EXPECT_EQ(number("Huge", 10), INT_MAX);
}

TEST_F(ProfileFile, WritingKeepsOtherContentAndReadsBack)
{
    const QString path = Write("; account\n[WaveToText]\nID=old\nKey=k\n\n[Other]\nA=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("wavetotext"), QStringLiteral("id"), QStringLiteral("new"), path));
    EXPECT_EQ(Mode(path), 0600) << "a key file others could read is closed to them";
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("WaveToText"), QStringLiteral("Extra"), QStringLiteral("e"), path));
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("Fresh"), QStringLiteral("X"), QStringLiteral("y"), path));
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("Other"), QStringLiteral("A"), QString(), path));

    EXPECT_EQ(Read(path, "WaveToText", "ID"), QStringLiteral("new"));
    EXPECT_EQ(Read(path, "WaveToText", "Key"), QStringLiteral("k"));
    EXPECT_EQ(Read(path, "WaveToText", "Extra"), QStringLiteral("e"));
    EXPECT_EQ(Read(path, "Fresh", "X"), QStringLiteral("y"));
    EXPECT_EQ(Read(path, "Other", "A", "gone"), QStringLiteral("gone"));
    EXPECT_EQ(Mode(path), 0600) << "kept by every rewrite";

    const QByteArray text = ReadBytes(path);
    EXPECT_TRUE(text.startsWith("; account\n[WaveToText]\nid=new\nKey=k\nExtra=e\n")) << text.constData();
}

TEST_F(ProfileFile, WritingCreatesAMissingFile)
{
    const QString path = m_dir.filePath(QStringLiteral("new.ini"));
    EXPECT_EQ(Read(path, "WaveToText", "ID", "dflt"), QStringLiteral("dflt")) << "no file gives the default";
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("WaveToText"), QStringLiteral("ID"), QStringLiteral("中"), path));
    EXPECT_EQ(Read(path, "WaveToText", "ID"), QStringLiteral("中"));
    EXPECT_EQ(Mode(path), 0600);

    // A value longer than the buffer is cut to leave room for the terminator.
    ASSERT_TRUE(WritePrivateProfileStringW(QStringLiteral("S"), QStringLiteral("K"), QString(300, QLatin1Char('v')), path));
    QString out;
    EXPECT_EQ(GetPrivateProfileStringW(QStringLiteral("S"), QStringLiteral("K"), QString(), out, 255, path), 254u);
    EXPECT_EQ(out, QString(254, QLatin1Char('v')));
}

} // namespace
