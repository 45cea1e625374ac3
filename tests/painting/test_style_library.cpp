#include "host/CZuBuffer.h"
#include "painting/StyleLibrary.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class StyleLibraryFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QLatin1Char('/');
        QImage picture(70, 40, QImage::Format_ARGB32);
        picture.fill(Qt::darkGreen);
        ASSERT_TRUE(picture.save(m_folder + QStringLiteral("oil.png")));
        QDir(m_folder).mkpath(QStringLiteral("previews"));
        picture.fill(Qt::darkBlue);
        ASSERT_TRUE(picture.save(m_folder + QStringLiteral("previews/ink.png")));
    }

    void Write(const QByteArray& xml)
    {
        ASSERT_TRUE(WriteBytes(m_folder + QLatin1String(StyleLibrary::kFileName), xml));
    }

    void Read()
    {
        StyleLibrary::Free(m_pictures);
        m_names.clear();
        StyleLibrary::Read(m_folder, m_names, m_pictures);
    }

    void TearDown() override { StyleLibrary::Free(m_pictures); }

    QTemporaryDir m_dir;
    QString m_folder;
    QStringList m_names;
    QList<CZuBuffer*> m_pictures;
};

TEST_F(StyleLibraryFile, StylesComeInFileOrderWithTheirPicturesRelativeToTheFolder)
{
    Write(R"(<?xml version="1.0" encoding="UTF-8"?>
<Styles>
  <!-- a comment is no style -->
  <Style Name="油画" Preview="oil.png"/>
  <Anything Name="国风" Preview="previews/ink.png"/>
  <Style Name="素描" Preview="missing.png"/>
  <Style Name="像素"/>
  <Style Preview="oil.png"/>
</Styles>)");
    Read();
    EXPECT_EQ(m_names, (QStringList{QStringLiteral("油画"), QStringLiteral("国风"), QStringLiteral("素描"),
                                    QStringLiteral("像素"), QString()}));
    ASSERT_EQ(m_pictures.size(), 5);
    EXPECT_EQ(m_pictures[0]->Image().pixelColor(5, 5), QColor(Qt::darkGreen));
    EXPECT_EQ(m_pictures[1]->Image().pixelColor(5, 5), QColor(Qt::darkBlue));
    EXPECT_TRUE(m_pictures[2]->IsEmpty()) << "a missing picture leaves its style without one";
    EXPECT_TRUE(m_pictures[3]->IsEmpty());
    EXPECT_EQ(m_pictures[3]->GetFill(), 0xFFFFFFFFu);
    EXPECT_FALSE(m_pictures[4]->IsEmpty()) << "a style without a name still keeps its place and picture";
}

} // namespace
