#include "apps/studio/ExportShots.h"

#include "apps/studio/CaptionShots.h"
#include "apps/studio/ExportDialog.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioWindow.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kSettleMs = 50;
// The export gets this long (polls of kPollMs) before the pictures are taken anyway.
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 600;

} // namespace

ExportShots::ExportShots(StudioWindow& window, Grab grab, GrabWidget grabWidget, std::function<void(bool)> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_grabWidget(std::move(grabWidget))
    , m_done(std::move(done))
{
}

void ExportShots::Start()
{
    // The video the subtitles and the track were made for.
    const MediaFile* sample = nullptr;
    for (const MediaFile& media : m_window.Project().Media()) {
        if (!media.subtitles.isEmpty() && MediaPreview::Plays(media.path))
            sample = &media;
    }
    if (!sample) {
        std::fprintf(stderr, "qov-studio: no video with subtitles to export\n");
        m_done(false);
        return;
    }
    m_window.View().SelectMedia({sample->id});
    m_window.View().ExportButton()->click();
    ExportDialog* dialog = m_window.Export();
    if (!dialog) {
        std::fprintf(stderr, "qov-studio: the export dialog did not open\n");
        m_done(false);
        return;
    }
    m_mediaBefore = m_window.Project().Media().size();
    dialog->StartButton()->click();
    QTimer::singleShot(kPollMs, this, &ExportShots::WaitForExport);
}

void ExportShots::WaitForExport()
{
    const bool done = m_window.Project().Media().size() > m_mediaBefore;
    ExportDialog* dialog = m_window.Export();
    if (!done && dialog && ++m_waits < kMaxPolls) {
        QTimer::singleShot(kPollMs, this, &ExportShots::WaitForExport);
        return;
    }
    if (dialog)
        m_grabWidget(dialog, QStringLiteral("export-dialog.png"));
    if (!done) {
        std::fprintf(stderr, "qov-studio: the video was not exported: %s\n",
                     dialog ? qPrintable(dialog->Status()->text()) : "");
        m_done(false);
        return;
    }
    dialog->close();
    QTimer::singleShot(kSettleMs, this, &ExportShots::ShowExported);
}

void ExportShots::ShowExported()
{
    MediaPreview& preview = m_window.Preview();
    // Into its first caption, where the picture shows one.
    SubtitleSentences sentences;
    QString ignored;
    qint64 at = 1000;
    if (sentences.Load(preview.SubtitlesPath(), ignored) && sentences.Count() > 0)
        at = (sentences.Captions().front().start + sentences.Captions().front().end) / 2;
    CaptionShots::ReadFrame(this, preview.Path(), at, [this, at](const QByteArray& png) {
        MediaPreview& shown = m_window.Preview();
        shown.ShowStill(QImage::fromData(png, "PNG"));
        shown.Seek(at);
        QTimer::singleShot(kSettleMs, this, [this] {
            m_grab(QStringLiteral("exported-preview.png"));
            m_done(true);
        });
    });
}
