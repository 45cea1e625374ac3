#include "StudioServices.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/ToolHost.h"
#include "mediakit/SrtReader.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

const QString kTranslateStart = QStringLiteral("开始翻译");
const QByteArray kEnglish("1\r\n00:00:00,500 --> 00:00:02,500\r\nGood morning.\r\n\r\n"
                          "2\r\n00:00:03,000 --> 00:00:05,000\r\nThe house is very big.\r\n");

class StudioTranslation : public StudioServices
{
protected:
    // The video and its English subtitles chosen in the bin, as the subtitles tool leaves them.
    QString ChooseSubtitles(const QString& name, QUuid& clip)
    {
        clip = m_studio->Project().AddMedia(Media(name + QStringLiteral(".mp4")));
        const QString srt = s_folders->Root() + QLatin1Char('/') + name + QStringLiteral(".srt");
        EXPECT_TRUE(WriteBytes(srt, kEnglish));
        m_studio->Project().AttachSubtitles(clip, {srt, QStringLiteral("AI 字幕"), {}});
        EXPECT_EQ(m_studio->View().Sentences().Sentences().Path(), srt);
        return srt;
    }

    QWidget* OpenTool(const QString& language)
    {
        m_studio->ChooseTool(m_studio->Host().IndexOf(ToolId::Translation));
        QWidget* tool = m_studio->Panel().Window();
        if (tool) {
            auto* languages = tool->findChild<QComboBox*>();
            languages->setCurrentIndex(languages->findText(language));
        }
        return tool;
    }

    static QString Said(QWidget* tool, const QString& start)
    {
        for (QLabel* label : tool->findChildren<QLabel*>()) {
            if (label->text().startsWith(start))
                return label->text();
        }
        return {};
    }
};

TEST_F(StudioTranslation, SentencesWithAnUnsavedEditBecomeTheirTranslationBesideThem)
{
    QUuid clip;
    const QString srt = ChooseSubtitles(QStringLiteral("talk"), clip);
    QTreeWidget* list = m_studio->View().SentenceList();
    SentenceEditor& editor = m_studio->View().Sentences();
    list->topLevelItem(0)->setText(SentenceEditor::TextColumn, QStringLiteral("The cat is small."));
    QWidget* tool = OpenTool(QStringLiteral("西班牙语"));
    ASSERT_NE(tool, nullptr);
    EXPECT_FALSE(Said(tool, QStringLiteral("talk.srt（含未保存的修改）")).isEmpty()) << "the window names what it translates";
    Captioned(tool, kTranslateStart)->click();
    const MediaFile* media = m_studio->Project().FindMedia(clip);
    ASSERT_TRUE(WaitFor([&] { return media->subtitles.size() == 2; })) << Said(tool, QStringLiteral("翻译")).toStdString();

    // Spanish, beside the source, one caption for each at its time, attached to the same video.
    const ToolResult& result = media->subtitles.last();
    EXPECT_EQ(result.path, QDir(s_folders->Root()).filePath(QStringLiteral("talk.es.srt")));
    EXPECT_EQ(result.tool, QStringLiteral("AI 翻译"));
    std::vector<Caption> spanish;
    QString error;
    ASSERT_TRUE(SrtReader::Read(result.path, spanish, error)) << error.toStdString();
    ASSERT_EQ(spanish.size(), 2u);
    EXPECT_TRUE(spanish[0].text.contains(QStringLiteral("gato"))) << "the unsaved edit was translated: " << spanish[0].text.toStdString();
    EXPECT_TRUE(spanish[1].text.contains(QStringLiteral("casa"))) << spanish[1].text.toStdString();
    EXPECT_EQ(spanish[1].start, 3000);
    EXPECT_EQ(spanish[1].end, 5000);
    EXPECT_EQ(ReadBytes(srt), kEnglish) << "the source is written only by 保存";

    // The sentences stay on screen with the translation as a second column, and the preview
    // stacks the two.
    EXPECT_EQ(editor.Sentences().Path(), srt);
    ASSERT_FALSE(list->isColumnHidden(SentenceEditor::TranslationColumn));
    EXPECT_EQ(list->topLevelItem(1)->text(SentenceEditor::TranslationColumn), spanish[1].text);
    MediaPreview& preview = m_studio->Preview();
    preview.Seek(1000);
    EXPECT_EQ(preview.Caption(), QStringLiteral("The cat is small.\n") + spanish[0].text);
    preview.CaptionChoice()->setCurrentIndex(MediaPreview::TranslationShown);
    EXPECT_EQ(preview.Caption(), spanish[0].text);

    // 保存 writes both files; a time moved is moved in both.
    list->topLevelItem(1)->setText(SentenceEditor::TranslationColumn, QStringLiteral("La casa es enorme."));
    list->topLevelItem(1)->setText(SentenceEditor::EndColumn, QStringLiteral("00:00:05,500"));
    ASSERT_TRUE(editor.SaveButton()->isEnabled());
    editor.SaveButton()->click();
    std::vector<Caption> english;
    ASSERT_TRUE(SrtReader::Read(srt, english, error) && SrtReader::Read(result.path, spanish, error)) << error.toStdString();
    EXPECT_EQ(english[0].text, QStringLiteral("The cat is small."));
    EXPECT_EQ(spanish[1].text, QStringLiteral("La casa es enorme."));
    EXPECT_EQ(english[1].end, 5500);
    EXPECT_EQ(spanish[1].end, 5500);

    // Chosen again later, the file shows its translation again; a layout that changes the
    // sentences' count puts the translation away rather than pair it with the wrong lines.
    m_studio->View().BinList()->setCurrentRow(m_studio->View().BinList()->count() - 1);
    m_studio->View().BinList()->setCurrentRow(0);
    ASSERT_EQ(editor.Sentences().Path(), srt);
    EXPECT_EQ(editor.Translation().Path(), result.path);
    editor.MaxChars()->setValue(6);
    editor.MaxLines()->setValue(1);
    editor.LayoutButton()->click();
    EXPECT_TRUE(list->isColumnHidden(SentenceEditor::TranslationColumn));
    EXPECT_EQ(editor.Translation().Count(), 0);
    Answer(QMessageBox::Discard);
}

TEST_F(StudioTranslation, APairTheServiceRefusesEndsInWordsWithNothingAttached)
{
    QUuid clip;
    ChooseSubtitles(QStringLiteral("refused"), clip);
    // The local translator has no English to Japanese.
    QWidget* tool = OpenTool(QStringLiteral("日语"));
    ASSERT_NE(tool, nullptr);
    QPushButton* start = Captioned(tool, kTranslateStart);
    start->click();
    ASSERT_TRUE(WaitFor([&] { return !Said(tool, QStringLiteral("翻译失败：")).isEmpty(); }));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(m_studio->Project().FindMedia(clip)->subtitles.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(s_folders->Root() + QStringLiteral("/refused.ja.srt")));
}

} // namespace
