#include "CliFixture.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST_F(CommandLine, PaintPrintsImagesOfTheAskedSizeThatPassedReview)
{
    const auto paint = [this](const QString& prompt, const QStringList& options) {
        const Outcome painted = Run(QStringList{"paint", prompt, "--size", "1024x1024"} + options);
        EXPECT_EQ(painted.exitCode, 0) << painted.err.toStdString();
        return painted.out.split('\n', Qt::SkipEmptyParts);
    };
    const QStringList paths = paint("雪山下的湖泊", {"--count", "2"});
    ASSERT_EQ(paths.size(), 2);
    for (const QString& path : paths)
        EXPECT_EQ(QImage(path).size(), QSize(1024, 1024)) << path.toStdString();
    EXPECT_NE(QImage(paths[0]), QImage(paths[1])) << "two images of one prompt differ";

    // The service's review flags the last image of a prompt that names something it refuses.
    QImage reference(64, 48, QImage::Format_RGB32);
    reference.fill(Qt::yellow);
    const QString referencePath = m_folders.Root() + "/ref.PNG";
    ASSERT_TRUE(reference.save(referencePath, "PNG"));
    EXPECT_EQ(paint("a blocked harbour", {"--count", "3", "--reference", referencePath}).size(), 2)
        << "the image held back by review is not printed";
}

} // namespace
