#include "StudioServices.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/SrtDubbingPanel.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"
#include "mediakit/SrtReader.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <thread>

namespace {

const QString kStart = QStringLiteral("开始识别");
const QString kGenerated = QStringLiteral("生成成功！");

class StudioSubtitles : public StudioServices
{
};

TEST_F(StudioSubtitles, AVideoOnEitherTabBecomesItsSubtitlesInTheBinWithReadableSentences)
{
    const struct
    {
        const char* name;
        int tab;
    } runs[] = {{"访谈.mp4", 0}, {"lecture.mp4", 1}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        QUuid clip;
        QWidget* tool = OpenOn(Media(QString::fromUtf8(run.name)), &clip);
        ASSERT_NE(tool, nullptr);
        tool->findChild<QTabBar*>()->setCurrentIndex(run.tab);
        if (run.tab == 1)
            tool->findChild<QComboBox*>()->setCurrentIndex(2); // the English model
        QPushButton* start = Captioned(tool, kStart);
        ASSERT_TRUE(start && start->isEnabled());
        start->click();
        ASSERT_TRUE(WaitFor([&] { return Status(tool) == kGenerated; })) << Status(tool).toStdString();

        const MediaFile* media = m_studio->Project().FindMedia(clip);
        ASSERT_EQ(media->subtitles.size(), 1);
        const QString srt = media->subtitles[0].path;
        EXPECT_EQ(QFileInfo(srt).fileName(), QFileInfo(run.name).completeBaseName() + QStringLiteral("_0_25.srt"));
        EXPECT_EQ(m_studio->Project().Bin().last().owner, clip);
        QTreeWidget* sentences = m_studio->View().SentenceList();
        ASSERT_TRUE(sentences->isVisibleTo(m_studio.get()));
        ASSERT_GE(sentences->topLevelItemCount(), 1);
        EXPECT_FALSE(sentences->topLevelItem(0)->text(SentenceEditor::TextColumn).isEmpty());
        if (run.tab == 1) { // the English model hears words
            EXPECT_TRUE(sentences->topLevelItem(0)->text(SentenceEditor::TextColumn).contains(QRegularExpression(QStringLiteral("[a-z]"))));
        }

        // Corrected and laid out in the studio, then saved, the file holds what the list shows.
        SentenceEditor& editor = m_studio->View().Sentences();
        const QByteArray made = ReadBytes(srt);
        sentences->topLevelItem(0)->setText(SentenceEditor::EndColumn, QStringLiteral("00:00:00,000"));
        EXPECT_TRUE(editor.Message()->text().contains(QStringLiteral("晚于开始"))) << editor.Message()->text().toStdString();
        EXPECT_NE(sentences->topLevelItem(0)->text(SentenceEditor::EndColumn), QStringLiteral("00:00:00,000"));
        EXPECT_FALSE(editor.SaveButton()->isEnabled()) << "a refused edit leaves nothing to save";
        const int heard = sentences->topLevelItemCount();
        editor.MaxChars()->setValue(4);
        editor.MaxLines()->setValue(1);
        editor.LayoutButton()->click();
        EXPECT_GT(sentences->topLevelItemCount(), heard);
        sentences->topLevelItem(0)->setText(SentenceEditor::TextColumn, QStringLiteral("改过的字幕"));
        EXPECT_EQ(ReadBytes(srt), made) << "nothing is written before 保存";
        ASSERT_TRUE(editor.SaveButton()->isEnabled());
        editor.SaveButton()->click();
        std::vector<Caption> saved;
        QString error;
        ASSERT_TRUE(SrtReader::Read(srt, saved, error)) << error.toStdString();
        ASSERT_EQ(int(saved.size()), sentences->topLevelItemCount());
        for (int i = 0; i < sentences->topLevelItemCount(); ++i) {
            EXPECT_EQ(saved[size_t(i)].text, sentences->topLevelItem(i)->text(SentenceEditor::TextColumn));
            EXPECT_EQ(SubtitleSentences::FormatTime(saved[size_t(i)].start), sentences->topLevelItem(i)->text(SentenceEditor::StartColumn));
        }
        EXPECT_EQ(saved[0].text, QStringLiteral("改过的字幕"));
        const QByteArray written = ReadBytes(srt);
        EXPECT_EQ(written.startsWith("\xEF\xBB\xBF"), made.startsWith("\xEF\xBB\xBF")) << "still the module's own form";
        EXPECT_EQ(written.contains("\r\n"), made.contains("\r\n"));
    }
}

TEST_F(StudioSubtitles, AWrongKeyOrUnreachableServicesEndWithTheReasonAndTheButtonBack)
{
    const struct
    {
        const char* name;
        bool wrongKey, unreachable;
    } cases[] = {{"wrong key", true, false}, {"unreachable", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.wrongKey)
            WriteAccount("not-the-key");
        if (c.unreachable)
            s_server.reset();
        QUuid clip;
        // The window reads the account when it opens.
        QWidget* tool = OpenOn(Media(QStringLiteral("%1.wav").arg(QString::fromUtf8(c.name).replace(QLatin1Char(' '), QLatin1Char('_')))), &clip);
        ASSERT_NE(tool, nullptr);
        QPushButton* start = Captioned(tool, kStart);
        start->click();
        // The start's requests run on a worker; its end brings the reason.
        EXPECT_TRUE(WaitFor([&] { return start->isEnabled(); }));
        EXPECT_TRUE(Status(tool).startsWith(QStringLiteral("转写失败, "))) << Status(tool).toStdString();
        EXPECT_TRUE(m_studio->Project().FindMedia(clip)->subtitles.isEmpty());
        if (c.unreachable)
            StartServices();
        WriteAccount("qov-local-transcription-key");
    }
}

TEST_F(StudioSubtitles, SubtitlesChosenInTheBinAreSpokenAsATrackThatLandsWithTheirMedia)
{
    const QUuid clip = m_studio->Project().AddMedia(QString::fromUtf8(kSpeech));
    const QString srt = s_folders->Root() + QStringLiteral("/spoken.srt");
    ASSERT_TRUE(WriteBytes(srt, "1\n00:00:00,500 --> 00:00:02,000\nGood morning.\n\n"
                                "2\n00:00:02,500 --> 00:00:04,000\nSee you.\n"));
    // A subtitle file arriving in the bin becomes the chosen one.
    m_studio->Project().AddToBin({srt, QStringLiteral("字幕"), clip});
    const qsizetype before = m_studio->Project().Bin().size();
    SrtDubbingPanel& panel = m_studio->View().Dubbing();
    ASSERT_TRUE(panel.Button()->isVisibleTo(m_studio.get()));
    panel.Button()->click();
    ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Bin().size() > before; })) << panel.Status()->text().toStdString();
    const ToolResult track = m_studio->Project().Bin().last();
    EXPECT_EQ(track.owner, clip);
    EXPECT_EQ(track.tool, QStringLiteral("AI 配音")) << "named as the dubbing tool's own results are";
    EXPECT_TRUE(track.path.endsWith(QStringLiteral(".mp3"))) << track.path.toStdString();
    EXPECT_GT(QFileInfo(track.path).size(), 1000);
}

// What is spoken is what the list shows: a change not yet in the file is saved first, or given
// up, as the user answers; kept unsaved, nothing is spoken.
TEST_F(StudioSubtitles, UnsavedSentencesAreSavedOrGivenUpBeforeTheyAreSpoken)
{
    const QUuid clip = m_studio->Project().AddMedia(QString::fromUtf8(kSpeech));
    const QByteArray original("1\n00:00:00,500 --> 00:00:02,000\nGood morning.\n");
    const QString edited = QStringLiteral("Rewritten");
    const struct
    {
        const char* name;
        QMessageBox::StandardButton answer;
        QString listed;
        const char* spoken; // null: nothing
    } cases[] = {
        {"saved first", QMessageBox::Save, edited, "tex=Rewritten&"},
        {"given up", QMessageBox::Discard, QStringLiteral("Good morning."), "tex=Good"},
        {"kept unsaved", QMessageBox::Cancel, edited, nullptr},
    };
    SrtDubbingPanel& panel = m_studio->View().Dubbing();
    QTreeWidget* sentences = m_studio->View().SentenceList();
    httplib::Client services("127.0.0.1", s_port);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString srt = s_folders->Root() + QStringLiteral("/%1.srt").arg(QString::fromUtf8(c.name).replace(QLatin1Char(' '), QLatin1Char('_')));
        ASSERT_TRUE(WriteBytes(srt, original));
        m_studio->Project().AddToBin({srt, QStringLiteral("字幕"), clip});
        ASSERT_EQ(m_studio->View().Sentences().Sentences().Path(), srt);
        ASSERT_TRUE(services.Delete("/__control/requests"));
        const qsizetype before = m_studio->Project().Bin().size();
        sentences->topLevelItem(0)->setText(SentenceEditor::TextColumn, edited);
        Answer(c.answer);
        panel.Button()->click();
        ASSERT_EQ(sentences->topLevelItemCount(), 1);
        EXPECT_EQ(sentences->topLevelItem(0)->text(SentenceEditor::TextColumn), c.listed);
        if (!c.spoken) {
            EXPECT_EQ(ReadBytes(srt), original);
            EXPECT_EQ(panel.Button()->text(), QStringLiteral("朗读为配音音轨")) << "no run started";
            continue;
        }
        ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Bin().size() > before; })) << panel.Status()->text().toStdString();
        std::vector<Caption> saved;
        QString error;
        ASSERT_TRUE(SrtReader::Read(srt, saved, error)) << error.toStdString();
        EXPECT_EQ(saved.at(0).text, c.listed) << "the file the track names as its source holds what was spoken";
        const auto spoken = services.Get("/__control/requests?endpoint=tts-short");
        ASSERT_TRUE(spoken);
        EXPECT_NE(spoken->body.find(c.spoken), std::string::npos) << spoken->body;
    }
    // The change kept unsaved is given up, so that closing the studio asks nothing.
    Answer(QMessageBox::Discard);
    m_studio->View().BinList()->setCurrentRow(0);
    EXPECT_FALSE(m_studio->View().Sentences().Sentences().Modified());
}

} // namespace
