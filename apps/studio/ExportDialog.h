#pragma once

#include "apps/studio/StudioProject.h"
#include "service/ServiceTask.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// "导出视频" for one media file: the dubbed track attached to it (or the original sound), how the
// track goes in (over the original lowered while it speaks, instead of it, or added), the subtitle
// files attached to it as streams, one of them drawn on the picture if wanted, and the loudness.
// The export runs as a task with its progress and a stop; the dialog never waits for it. The file
// is written beside the video as NAME.dubbed.EXT, never over another.
class ExportDialog : public QDialog
{
    Q_OBJECT
public:
    ExportDialog(const StudioProject& project, const MediaFile& media, QWidget* parent = nullptr);
    ~ExportDialog() override;

    QComboBox* Track() const { return m_track; }
    QComboBox* Mix() const { return m_mix; }
    QListWidget* Subtitles() const { return m_subtitles; }
    QComboBox* Burn() const { return m_burn; }
    QCheckBox* Loudness() const { return m_loudness; }
    QPushButton* StartButton() const { return m_start; }
    QProgressBar* Progress() const { return m_progress; }
    QLabel* Status() const { return m_status; }

signals:
    // The video was written, with the subtitle files it holds as streams.
    void Exported(const QString& path, const QStringList& subtitles);

protected:
    void reject() override;

private:
    void StartOrStop();
    void OnEnded(const TaskEnd& end);

    const MediaFile m_media;
    QComboBox* m_track;
    QComboBox* m_mix;
    QDoubleSpinBox* m_duck;
    QListWidget* m_subtitles;
    QComboBox* m_burn;
    QCheckBox* m_loudness;
    QDoubleSpinBox* m_target;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_start;
    ServiceTask m_task;
    QStringList m_streams;
};
