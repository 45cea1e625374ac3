#include "OpenStudio.h"
#include "RecordingModule.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/SubtitleSentences.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QByteArray kModuleSrt("\xEF\xBB\xBF" "1\r\n00:00:00,500 --> 00:00:01,800\r\n第1句\r\n\r\n"
                            "2\r\n00:00:02,300 --> 00:00:03,000\r\nsee you\r\ntomorrow\r\n\r\n"
                            "3\r\n00:00:04,000 --> 00:00:05,000\r\nbye\r\n\r\n");

QString Write(const QTemporaryDir& dir, const QByteArray& bytes, const char* name = "clip_0_25.srt")
{
    const QString path = dir.filePath(QLatin1String(name));
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
}

// Each refused edit leaves the sentences and the file as they were, whatever came before it.
TEST(SubtitleSentences, EditsThatRunBackwardsOrOverlapAreRefusedWithAReason)
{
    QTemporaryDir dir;
    const QString path = Write(dir, kModuleSrt);
    SubtitleSentences sentences;
    QString error;
    ASSERT_TRUE(sentences.Load(path, error)) << error.toStdString();
    const struct
    {
        const char* name;
        int index;
        int32_t start, end;
        const char* reason; // empty: accepted
    } cases[] = {
        {"backwards", 1, 2900, 2400, "晚于开始"},
        {"zero length", 1, 2400, 2400, "晚于开始"},
        {"into the previous one", 1, 1700, 3000, "上一句的结束（00:00:01,800）"},
        {"into the next one", 1, 2300, 4001, "下一句的开始（00:00:04,000）"},
        {"no such sentence", 3, 6000, 7000, "第 4 句"},
        {"meeting both neighbours", 1, 1800, 4000, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Caption> before = sentences.Captions();
        error.clear();
        const bool accepted = sentences.SetTimes(c.index, c.start, c.end, error);
        EXPECT_EQ(accepted, !*c.reason);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        if (!accepted) {
            EXPECT_EQ(sentences.Captions()[1].start, before[1].start);
        }
    }
    EXPECT_FALSE(sentences.SetText(0, QStringLiteral(" \n "), error));
    int32_t time = 0;
    EXPECT_FALSE(SubtitleSentences::ParseTime(QStringLiteral("1.5s"), time, error));
    EXPECT_TRUE(SubtitleSentences::ParseTime(QStringLiteral("01:02.5"), time, error));
    EXPECT_EQ(time, 62500);
    EXPECT_EQ(ReadBytes(path), kModuleSrt) << "nothing is written until saved";
    EXPECT_EQ(sentences.Shown(1800), std::vector<int>{1}) << "where one ends as the next begins, the next shows";
    EXPECT_TRUE(sentences.Shown(300).empty());
}

// Other tools' files: sentences that overlap, or are listed latest first.
const QByteArray kInOrder("1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:03,000 --> 00:00:04,000\nb\n");
const QByteArray kOverlapping("1\n00:00:01,000 --> 00:00:10,000\nlong\n\n2\n00:00:03,000 --> 00:00:05,000\nshort\n\n"
                              "3\n00:00:11,000 --> 00:00:12,000\nlater\n");
const QByteArray kLatestFirst("1\n00:00:08,000 --> 00:00:10,000\nc\n\n2\n00:00:04,000 --> 00:00:06,000\nb\n\n"
                              "3\n00:00:00,000 --> 00:00:02,000\na\n");
const QByteArray kOverlappingLatestFirst("1\n00:00:03,000 --> 00:00:05,000\nshort\n\n"
                                         "2\n00:00:01,000 --> 00:00:10,000\nlong\n");

// Every sentence running at a moment is drawn, the earliest started on top, whatever the order
// of the file.
TEST(MediaPreview, DrawsEverySentenceRunningAtThePositionWhateverTheFilesOrder)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray file;
        qint64 at;
        const char* shown;
    } cases[] = {
        {"in order, in the first", kInOrder, 1500, "a"},
        {"in order, where the first ends", kInOrder, 2000, ""},
        {"in order, in the second", kInOrder, 3000, "b"},
        {"overlapping, both", kOverlapping, 4000, "long\nshort"},
        {"overlapping, after the inner one", kOverlapping, 5500, "long"},
        {"overlapping, after both", kOverlapping, 10500, ""},
        {"overlapping, the third", kOverlapping, 11000, "later"},
        {"latest first, the last listed", kLatestFirst, 1000, "a"},
        {"latest first, the middle", kLatestFirst, 5000, "b"},
        {"latest first, the first listed", kLatestFirst, 9000, "c"},
        {"overlapping latest first", kOverlappingLatestFirst, 4000, "long\nshort"},
    };
    MediaPreview preview;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        preview.Open(QString(), Write(dir, c.file));
        preview.Seek(c.at);
        EXPECT_EQ(preview.Caption(), QString::fromUtf8(c.shown));
    }
    preview.Open(QString(), Write(dir, kLatestFirst));
    EXPECT_EQ(preview.Slider()->maximum(), 10000) << "the slider reaches the sentence that ends last";
}

// A time edit is held against the sentences it would newly overlap in time, not against its
// neighbours in the list; an overlap the file already had does not stop it.
TEST(SubtitleSentences, TimeEditsAreHeldAgainstTheSentencesTheyWouldOverlap)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray file;
        int index;
        int32_t start, end;
        const char* reason; // empty: accepted
    } cases[] = {
        {"in order, within its gap", kInOrder, 0, 1000, 3000, ""},
        {"in order, into the next", kInOrder, 0, 1000, 3500, "下一句的开始（00:00:03,000）"},
        {"in order, into the previous", kInOrder, 1, 1500, 4000, "上一句的结束（00:00:02,000）"},
        {"latest first, the first listed shortened", kLatestFirst, 0, 8000, 9000, ""},
        {"latest first, the first listed into the middle", kLatestFirst, 0, 5000, 10000, "上一句的结束（00:00:06,000）"},
        {"latest first, the last listed into the middle", kLatestFirst, 2, 0, 4500, "下一句的开始（00:00:04,000）"},
        {"overlapping, the outer one shortened", kOverlapping, 0, 1000, 9000, ""},
        {"overlapping, the inner one moved within", kOverlapping, 1, 6000, 8000, ""},
        {"overlapping, the outer one into the third", kOverlapping, 0, 1000, 11500, "下一句的开始（00:00:11,000）"},
        {"overlapping, the third into the outer one", kOverlapping, 2, 9000, 12000, "上一句的结束（00:00:10,000）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleSentences sentences;
        QString error;
        ASSERT_TRUE(sentences.Load(Write(dir, c.file), error)) << error.toStdString();
        const int32_t endBefore = sentences.Captions()[size_t(c.index)].end;
        const bool accepted = sentences.SetTimes(c.index, c.start, c.end, error);
        EXPECT_EQ(accepted, !*c.reason) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_EQ(sentences.Captions()[size_t(c.index)].end, accepted ? c.end : endBefore);
        EXPECT_EQ(sentences.Modified(), accepted);
    }
}

// Saving keeps the file's form: the module's mark and CR LF, or another tool's bare line feeds.
TEST(SubtitleSentences, SavingKeepsTheFilesFormAndRefusesNonSubtitles)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray bytes;
        QByteArray saved;
    } cases[] = {
        {"the module's own", kModuleSrt,
         "\xEF\xBB\xBF" "1\r\n00:00:00,500 --> 00:00:01,800\r\n改过\r\n\r\n2\r\n00:00:02,300 --> 00:00:03,000\r\n"
         "see you\r\ntomorrow\r\n\r\n3\r\n00:00:04,000 --> 00:00:05,000\r\nbye\r\n\r\n"},
        {"bare line feeds", "1\n00:00:00,500 --> 00:00:01,800\nhello\n",
         "1\n00:00:00,500 --> 00:00:01,800\n改过\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(dir, c.bytes);
        SubtitleSentences sentences;
        QString error;
        ASSERT_TRUE(sentences.Load(path, error));
        ASSERT_TRUE(sentences.SetText(0, QStringLiteral("改过\n\n"), error));
        EXPECT_TRUE(sentences.Modified());
        ASSERT_TRUE(sentences.Save(error)) << error.toStdString();
        EXPECT_EQ(ReadBytes(path), c.saved);
        EXPECT_FALSE(sentences.Modified());
    }
    SubtitleSentences sentences;
    QString error;
    EXPECT_FALSE(sentences.Load(Write(dir, "just some notes\n"), error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法读取字幕文件"))) << error.toStdString();
}

// Changed sentences are not put away unasked, and the layout's numbers outlive a run.
TEST(SentenceEditor, ChangedSentencesAskBeforeAnotherFileOrClosingAndDoAsAnswered)
{
    RecordingModule module;
    StudioWindow window(module.Entry(), QStringLiteral("recording"));
    window.show();
    QTemporaryDir dir;
    const QUuid clip = window.Project().AddMedia(QStringLiteral("/media/clip.mp4"));
    const QStringList paths{Write(dir, kModuleSrt, "a.srt"), Write(dir, kModuleSrt, "b.srt")};
    for (const QString& path : paths)
        window.Project().AttachSubtitles(clip, {path, QStringLiteral("AI 字幕"), clip});
    QListWidget* bin = window.View().BinList();
    SentenceEditor& editor = window.View().Sentences();
    const auto edit = [&] {
        bin->setCurrentRow(0);
        editor.List()->topLevelItem(0)->setText(SentenceEditor::TextColumn, QStringLiteral("corrected"));
    };
    edit();
    Answer(QMessageBox::Cancel);
    bin->setCurrentRow(1);
    EXPECT_EQ(bin->currentRow(), 0);
    EXPECT_EQ(editor.List()->topLevelItem(0)->text(SentenceEditor::TextColumn), QStringLiteral("corrected"));
    Answer(QMessageBox::Discard);
    bin->setCurrentRow(1);
    EXPECT_EQ(editor.Sentences().Path(), paths[1]);
    EXPECT_EQ(ReadBytes(paths[0]), kModuleSrt);

    edit();
    Answer(QMessageBox::Cancel);
    EXPECT_FALSE(window.close());
    Answer(QMessageBox::Save);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(ReadBytes(paths[0]), QByteArray(kModuleSrt).replace("第1句", "corrected"));
}

TEST(SentenceEditor, TheLayoutNumbersAreThereAgainNextRun)
{
    QTemporaryDir config;
    const QByteArray before = qgetenv("QOV_CONFIG_DIR");
    qputenv("QOV_CONFIG_DIR", config.path().toUtf8());
    SentenceEditor().MaxChars()->setValue(20);
    SentenceEditor().MaxSeconds()->setValue(4.5);
    SentenceEditor next;
    EXPECT_EQ(next.MaxChars()->value(), 20);
    EXPECT_EQ(next.MaxLines()->value(), CaptionLayout::kLines);
    EXPECT_DOUBLE_EQ(next.MaxSeconds()->value(), 4.5);
    qputenv("QOV_CONFIG_DIR", before);
}

} // namespace

namespace {

// A file the detector cannot tell is read in the character set the user picks, and only then.
TEST(SentenceEditor, AFileWhoseCharacterSetCannotBeToldIsReadInTheOnePicked)
{
    QTemporaryDir dir;
    const QString path = Write(dir, "1\r\n00:00:01,000 --> 00:00:02,000\r\ncaf\xFF\xFE\x80\x81\r\n");
    for (const bool pick : {true, false}) {
        SCOPED_TRACE(pick);
        SentenceEditor editor;
        QStringList offered;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            offered = dialog->comboBoxItems();
            dialog->setTextValue(QStringLiteral("windows-1251"));
            pick ? dialog->accept() : dialog->reject();
        });
        editor.Open(path);
        EXPECT_TRUE(offered.contains(QStringLiteral("windows-1252"))) << offered.join(' ').toStdString();
        ASSERT_EQ(editor.Sentences().Count(), pick ? 1 : 0);
        if (pick)
            EXPECT_EQ(editor.Sentences().Captions()[0].text, QStringLiteral("cafяюЂЃ"));
        else
            EXPECT_TRUE(editor.Message()->text().contains(QStringLiteral("字符集")))
                << editor.Message()->text().toStdString();
    }
}

} // namespace
