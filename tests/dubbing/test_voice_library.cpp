#include "dubbing/VoiceInfo.h"
#include "dubbing/VoiceLibrary.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Owns what a read returned.
struct Library
{
    QList<VoiceInfo*> voices;
    ~Library() { VoiceLibrary::Free(voices); }
};

QByteArray Document(const char* voices)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Voices>") + voices + "</Voices>";
}

TEST(VoiceLibraryReading, AttributesBecomeTheVoiceRecord)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QDir(folder).mkpath(QStringLiteral("preview"));
    QImage picture(12, 9, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(folder + QStringLiteral("preview/a.png")));

    struct Case
    {
        const char* element;
        int basic;
        int id;
        const char* name;
        bool picture;
        const char* audio; // relative to the folder
    };
    const Case cases[] = {
        {R"(<V Basic="1" ID="106" Name="甜美女声" Preview="preview/a.png" Audio="audio/a.wav"/>)", 1, 106, "甜美女声",
         true, "audio/a.wav"},
        {R"(<V Name="two\r\nlines"/>)", 0, 0, "two\r\nlines", false, ""},
        {R"(<V ID="-3" Name="a\r\nb\r\nc" Preview="preview/missing.png"/>)", 0, -3, "a\r\nb\r\nc", false, ""},
        {R"(<Other Basic="7" ID="x"/>)", 7, 0, "", false, ""},
        {R"(<V Name="only \r or \n stay"/>)", 0, 0, "only \\r or \\n stay", false, ""},
    };
    for (const Case& c : cases) {
        Library library{VoiceLibrary::Parse(Document(c.element), folder)};
        ASSERT_EQ(library.voices.size(), 1) << c.element;
        const VoiceInfo& voice = *library.voices.front();
        EXPECT_EQ(voice.basic, c.basic) << c.element;
        EXPECT_EQ(voice.id, c.id) << c.element;
        EXPECT_EQ(voice.name, QString::fromUtf8(c.name)) << c.element;
        EXPECT_EQ(voice.preview.IsEmpty(), !c.picture) << c.element;
        EXPECT_EQ(voice.audio, folder + QString::fromUtf8(c.audio)) << c.element;
    }
    Library library{VoiceLibrary::Parse(Document(R"(<V Preview="preview/a.png"/>)"), folder)};
    EXPECT_EQ(library.voices.front()->preview.GetWidth(), 12);
    EXPECT_EQ(library.voices.front()->preview.GetHeight(), 9);
}

TEST(VoiceLibraryReading, VoicesKeepFileOrderAndSkipOtherNodes)
{
    Library library{VoiceLibrary::Parse(Document("<!-- c --><A ID=\"3\"/>text<B ID=\"1\"><Inner ID=\"9\"/></B><C ID=\"2\"/>"),
                                        QStringLiteral("/f/"))};
    QList<int> ids;
    for (const VoiceInfo* voice : library.voices)
        ids << voice->id;
    EXPECT_EQ(ids, (QList<int>{3, 1, 2}));
}

TEST(VoiceLibraryReading, UnusableFilesGiveAnEmptyLibrary)
{
    const char* documents[] = {
        "",
        "<?xml version=\"1.0\"?>\n<!-- no root -->",
        "<Voices/>",
        "<Voices>\n  <!-- nothing yet -->\n</Voices>",
        "<Voices><V ID=\"1\"/>",
        "<Voices><V ID=\"1\"></Voices>",
        "not xml at all",
    };
    for (const char* document : documents) {
        Library library{VoiceLibrary::Parse(QByteArray(document), QStringLiteral("/f/"))};
        EXPECT_TRUE(library.voices.isEmpty()) << document;
    }

    QTemporaryDir dir;
    Library missing{VoiceLibrary::Read(dir.path() + QStringLiteral("/"))};
    EXPECT_TRUE(missing.voices.isEmpty());
}

// The library the build lays out for the editor: twelve voices with their pictures and samples.
TEST(ShippedVoiceLibrary, HasTwelveVoicesWithPicturesAndDistinctSamples)
{
    const QString folder = QStringLiteral(QOV_BUILD_APP_DIR "/Media/AIGC/Txt2Audio/");
    Library library{VoiceLibrary::Read(folder)};
    ASSERT_EQ(library.voices.size(), 12);
    QSet<int> ids;
    QSet<QByteArray> samples;
    for (qsizetype i = 0; i < library.voices.size(); ++i) {
        const VoiceInfo& voice = *library.voices[i];
        SCOPED_TRACE(voice.name.toStdString());
        EXPECT_FALSE(voice.name.isEmpty());
        EXPECT_EQ(voice.basic, i < 8 ? 1 : 0) << "the first eight are the short-text voices";
        EXPECT_FALSE(voice.preview.IsEmpty());
        const QByteArray bytes = ReadBytes(voice.audio);
        EXPECT_TRUE(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
        EXPECT_GT(bytes.size(), 16000) << "at least half a second of 16 kHz speech";
        ids.insert(voice.id);
        samples.insert(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1));
    }
    EXPECT_EQ(ids.size(), 12);
    EXPECT_EQ(samples.size(), 12) << "every voice speaks its sample its own way";
}

} // namespace
