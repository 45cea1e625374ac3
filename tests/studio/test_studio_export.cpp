#include "StudioServices.h"
#include "apps/studio/ExportDialog.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/SrtDubbingPanel.h"
#include "mediakit/SpeechClip.h"

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <httplib.h>

namespace {

class StudioExport : public StudioServices
{
protected:
    static QString Probe(const QString& video, const QString& entries)
    {
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", entries, "-of", "csv=p=0", video});
        probe.waitForFinished(30000);
        return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
    }

    // Subtitles of two sentences for the clip, chosen in the bin.
    QString Subtitles(const QUuid& clip, const QString& name)
    {
        const QString srt = s_folders->Root() + QLatin1Char('/') + name;
        EXPECT_TRUE(WriteBytes(srt, "1\n00:00:00,500 --> 00:00:02,000\nGood morning.\n\n"
                                    "2\n00:00:03,000 --> 00:00:04,500\nSee you soon.\n"));
        m_studio->Project().AttachSubtitles(clip, {srt, QStringLiteral("AI 字幕"), {}});
        return srt;
    }
};

TEST_F(StudioExport, AVideoIsExportedWithItsTrackAndSubtitlesAndPlaysWithThem)
{
    const QString video = Media(QStringLiteral("clip.mp4"));
    const QUuid clip = m_studio->Project().AddMedia(video);
    const QString srt = Subtitles(clip, QStringLiteral("clip.en.srt"));
    const QString track = QString::fromUtf8(kSpeech);
    m_studio->Project().AddToBin({track, QStringLiteral("AI 配音"), clip});
    m_studio->View().SelectMedia({clip});

    // The preview offers the dubbed track in place of the clip's own sound.
    MediaPreview& preview = m_studio->Preview();
    ASSERT_EQ(preview.Path(), video);
    ASSERT_TRUE(preview.SoundChoice()->isVisibleTo(m_studio.get()));
    ASSERT_EQ(preview.SoundChoice()->count(), 2);
    preview.SoundChoice()->setCurrentIndex(1);
    EXPECT_EQ(preview.DubbedTrack(), track);
    preview.SoundChoice()->setCurrentIndex(0);
    EXPECT_TRUE(preview.DubbedTrack().isEmpty());

    ASSERT_TRUE(m_studio->View().ExportButton()->isEnabled());
    m_studio->View().ExportButton()->click();
    ExportDialog* dialog = m_studio->Export();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Track()->currentData().toString(), track) << "the clip's dubbed track is offered first";
    ASSERT_EQ(dialog->Subtitles()->count(), 1);
    const qsizetype mediaBefore = m_studio->Project().Media().size();
    dialog->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Media().size() > mediaBefore; }))
        << dialog->Status()->text().toStdString();

    const QString exported = m_studio->Project().Media().last().path;
    EXPECT_EQ(exported, s_folders->Root() + QStringLiteral("/clip.dubbed.mp4"));
    EXPECT_EQ(Probe(exported, QStringLiteral("stream=codec_type")).split('\n'),
              (QStringList{"video", "audio", "subtitle"}));
    EXPECT_EQ(Probe(exported, QStringLiteral("stream_tags=language")).split('\n').last(), QStringLiteral("eng"));
    EXPECT_EQ(preview.Path(), exported) << "the export plays in the preview";
    EXPECT_EQ(preview.SubtitlesPath(), srt);

    // A second export keeps the first.
    m_studio->View().SelectMedia({clip});
    m_studio->View().ExportButton()->click();
    m_studio->Export()->StartButton()->click();
    ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Media().size() > mediaBefore + 1; }));
    EXPECT_EQ(m_studio->Project().Media().last().path, s_folders->Root() + QStringLiteral("/clip.dubbed_2.mp4"));
    EXPECT_TRUE(QFileInfo::exists(exported));
}

// One sentence spoken again: one speech request, and the track outside its slot as it was.
TEST_F(StudioExport, ASentenceSpokenAgainReplacesOnlyItsPlaceInTheTrack)
{
    const QUuid clip = m_studio->Project().AddMedia(QString::fromUtf8(kSpeech));
    Subtitles(clip, QStringLiteral("again.srt"));
    SrtDubbingPanel& panel = m_studio->View().Dubbing();
    const qsizetype before = m_studio->Project().Bin().size();
    panel.Button()->click();
    ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Bin().size() > before; })) << panel.Status()->text().toStdString();
    const QString first = m_studio->Project().Bin().last().path;

    QTreeWidget* list = m_studio->View().SentenceList();
    EXPECT_FALSE(panel.AgainButton()->isEnabled()) << "no sentence chosen yet";
    list->topLevelItem(1)->setText(SentenceEditor::TextColumn, QStringLiteral("Goodbye everyone, see you."));
    list->setCurrentItem(list->topLevelItem(1));
    ASSERT_TRUE(panel.AgainButton()->isEnabled());
    httplib::Client services("127.0.0.1", s_port);
    ASSERT_TRUE(services.Delete("/__control/requests"));
    panel.AgainButton()->click();
    ASSERT_TRUE(WaitFor([&] { return m_studio->Project().Bin().size() > before + 1; })) << panel.Status()->text().toStdString();
    const ToolResult patched = m_studio->Project().Bin().last();
    EXPECT_EQ(patched.owner, clip);
    EXPECT_NE(patched.path, first) << "a new track, the first kept";
    const auto spoken = services.Get("/__control/requests?endpoint=tts-short");
    ASSERT_TRUE(spoken);
    EXPECT_EQ(web::json::value::parse(spoken->body).as_array().size(), 1u);

    std::vector<float> was;
    std::vector<float> now;
    int rate = 0;
    int nowRate = 0;
    QString error;
    ASSERT_TRUE(SpeechClip::Decode(first, 0, was, rate, error)) << error.toStdString();
    ASSERT_TRUE(SpeechClip::Decode(patched.path, rate, now, nowRate, error)) << error.toStdString();
    // Up to the second sentence's start the tracks agree (allowing for the encoder's frames).
    const size_t slot = size_t(rate * 3);
    double before2 = 0;
    double after2 = 0;
    for (size_t i = 0; i < slot - size_t(rate / 10) && i < now.size(); ++i)
        before2 = std::max(before2, double(std::abs(now[i] - was[i])));
    for (size_t i = slot; i < std::min(now.size(), was.size()); ++i)
        after2 = std::max(after2, double(std::abs(now[i] - was[i])));
    EXPECT_LT(before2, 0.05) << "the first sentence's speech is kept";
    EXPECT_GT(after2, 0.05) << "the second sentence's speech is new";
    // The edit was for the speech alone: given up as the studio closes.
    Answer(QMessageBox::Discard);
}

} // namespace
