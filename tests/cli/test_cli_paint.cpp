#include "CliFixture.h"

#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QStringList Lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST_F(CommandLine, PaintPrintsEveryPassedImageAndLogsIt)
{
    const Outcome painted = Run({QStringLiteral("paint"), QStringLiteral("雪山下的湖泊"), QStringLiteral("--size"),
                                 QStringLiteral("1024x1024"), QStringLiteral("--count"), QStringLiteral("2")});
    ASSERT_EQ(painted.exitCode, 0) << painted.err.toStdString();
    const QStringList paths = Lines(painted.out);
    ASSERT_EQ(paths.size(), 2) << painted.out.toStdString();
    for (const QString& path : paths) {
        EXPECT_TRUE(path.startsWith(m_folders.Work() + QStringLiteral("/AIImage/"))) << path.toStdString();
        EXPECT_EQ(QImage(path).size(), QSize(1024, 1024)) << path.toStdString();
    }
    EXPECT_NE(QImage(paths[0]), QImage(paths[1])) << "two images of one prompt differ";

    const Outcome listed = Run({QStringLiteral("history"), QStringLiteral("painting")});
    ASSERT_EQ(listed.exitCode, 0);
    const QStringList fields = listed.out.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 3) << listed.out.toStdString();
    EXPECT_EQ(fields[1], QStringLiteral("雪山下的湖泊"));
    EXPECT_EQ(fields[2], paths[0] + QLatin1Char('|') + paths[1] + QLatin1Char('|'));
}

TEST_F(CommandLine, PaintLeavesOutImagesThatFailReview)
{
    QImage reference(64, 48, QImage::Format_RGB32);
    reference.fill(Qt::yellow);
    const QString referencePath = m_folders.Root() + QStringLiteral("/ref.PNG");
    ASSERT_TRUE(reference.save(referencePath, "PNG"));
    const Outcome painted = Run({QStringLiteral("paint"), QStringLiteral("a blocked harbour"), QStringLiteral("--size"),
                                 QStringLiteral("512x512"), QStringLiteral("--count"), QStringLiteral("3"),
                                 QStringLiteral("--reference"), referencePath});
    ASSERT_EQ(painted.exitCode, 0) << painted.err.toStdString();
    EXPECT_EQ(Lines(painted.out).size(), 2) << "the image held back by review is not printed";
}

TEST_F(CommandLine, PaintFailuresExitWithTheServicesReason)
{
    Outcome outcome = Run({QStringLiteral("paint"), QStringLiteral("湖"), QStringLiteral("--size"),
                           QStringLiteral("100x100")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_FALSE(outcome.err.trimmed().isEmpty());
    EXPECT_TRUE(outcome.out.isEmpty());

    SetFault("image-query", R"({"wrong_types":true})");
    outcome = Run({QStringLiteral("paint"), QStringLiteral("湖"), QStringLiteral("--size"), QStringLiteral("512x512"),
                   QStringLiteral("--count"), QStringLiteral("1")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith(QStringLiteral("图片生成服务的回复格式有误："))) << outcome.err.toStdString();
}

} // namespace
