#pragma once

#include "service/ServiceTask.h"

#include <QHash>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QTemporaryDir;
class SentenceEditor;
class SrtDubbing;
class StudioProject;

// Under the sentences of the subtitle file chosen in the bin: speaks the file as one voice-over
// track, its captions' speech at their starts, and puts the track into the bin with the media
// file the subtitles belong to. What is spoken is what the sentences show: changes not yet in the
// file are saved first, or given up, as the user answers. The requests run as tasks; the panel
// only hears their signals.
class SrtDubbingPanel : public QWidget
{
    Q_OBJECT
public:
    SrtDubbingPanel(StudioProject& project, SentenceEditor& sentences, QWidget* parent = nullptr);
    ~SrtDubbingPanel() override;

    // The subtitle file now chosen, and the media file it belongs to (null: none). A run under
    // way goes on for the file it was started with.
    void SetSubtitles(const QString& path, const QUuid& owner);
    // What the bin names a track's tool: the module's own name for its dubbing tool.
    void SetToolName(const QString& name) { m_tool = name; }

    QPushButton* Button() const { return m_button; }
    // "重新朗读此句": the chosen sentence spoken again into the file's last track, as a new track.
    QPushButton* AgainButton() const { return m_again; }
    // The latest track made from path here, if any.
    QString TrackOf(const QString& path) const { return m_tracks.value(path); }
    QLabel* Status() const { return m_status; }

private:
    void StartOrStop();
    void SpeakAgain();
    void FollowChoice();

    StudioProject& m_project;
    SentenceEditor& m_sentences;
    SrtDubbing* m_dubbing;
    QPushButton* m_button;
    QPushButton* m_again;
    ServiceTask m_patch;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QHash<QString, QString> m_tracks;
    QString m_runPath;
    QString m_patchPath;
    QUuid m_patchOwner;
    int m_patchNumber = 0;
    QLabel* m_status;
    QString m_tool;
    QString m_path;
    QUuid m_owner;
    QUuid m_runOwner;
};
