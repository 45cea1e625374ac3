// The sentence editor's memory: changes are not put away unasked, the layout's numbers outlive a run.
#include "RecordingModule.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QByteArray kOriginal = "1\r\n00:00:00,500 --> 00:00:01,800\r\nfirst\r\n\r\n";

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the question the studio asks next, once it is on screen.
void Answer(QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [button] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(button)->click();
    });
}

TEST(SentenceEditor, ChangedSentencesAskBeforeAnotherFileOrClosingAndDoAsAnswered)
{
    RecordingModule module;
    StudioWindow window(module.Entry(), QStringLiteral("recording"));
    window.show();
    QTemporaryDir dir;
    const QUuid clip = window.Project().AddMedia(QStringLiteral("/media/clip.mp4"));
    const QStringList paths{dir.filePath(QStringLiteral("a.srt")), dir.filePath(QStringLiteral("b.srt"))};
    for (const QString& path : paths) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kOriginal) > 0);
        file.close();
        window.Project().AttachSubtitles(clip, {path, QStringLiteral("AI 字幕"), clip});
    }
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
    EXPECT_EQ(ReadAll(paths[0]), kOriginal);

    edit();
    Answer(QMessageBox::Cancel);
    EXPECT_FALSE(window.close());
    Answer(QMessageBox::Save);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(ReadAll(paths[0]), QByteArray(kOriginal).replace("first", "corrected"));
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
