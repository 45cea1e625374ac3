#pragma once

#include "apps/studio/SubtitleSentences.h"

#include <QImage>
#include <QWidget>

#include <functional>

class DubbedSound;
class QAudioOutput;
class QComboBox;
class QGraphicsPixmapItem;
class QGraphicsRectItem;
class QGraphicsTextItem;
class QGraphicsVideoItem;
class QGraphicsView;
class QLabel;
class QMediaDevices;
class QMediaPlayer;
class QPushButton;
class QSlider;

// Plays a video or audio file of the project with its captions drawn over the picture at their
// times. The caption follows the position the preview is at, whether playing or moved to with the
// slider, so it is right even where nothing can be decoded; without a multimedia backend the
// preview says so and still shows the captions along the slider. Without a sound output the
// picture plays silent, and the preview says that too: the backend crashes writing sound for an
// output that has no device. A file shows its first picture and its length once it is open.
class MediaPreview : public QWidget
{
    Q_OBJECT

public:
    explicit MediaPreview(QWidget* parent = nullptr);

    // Video and audio files by their extension: what the preview can be given.
    static bool Plays(const QString& path);

    // Shows the file (an empty path: nothing) with the sentences of subtitles, if any.
    void Open(const QString& path, const QString& subtitles);
    // The captions of subtitles, when it is the file's: after an edit they follow it.
    void SetCaptions(const QString& subtitles, const std::vector<::Caption>& captions);
    // The translation of subtitles, when they are the file's: shown instead of them or under
    // them, as the user picks; none when captions is empty. Another file opened puts it away.
    void SetTranslation(const QString& subtitles, const std::vector<::Caption>& captions);
    // The dubbed tracks the file has, which can be heard instead of its own sound (the list beside
    // the time); none hides the list. Another file opened puts them away.
    void SetTracks(const QStringList& tracks);
    QComboBox* SoundChoice() const { return m_soundChoice; }
    // The track heard instead of the file's own sound; empty: its own.
    QString DubbedTrack() const;
    void Seek(qint64 milliseconds);
    // A picture of the file at the position, shown until the player draws frames of its own.
    void ShowStill(const QImage& frame);
    // Whether the machine has a sound output now; asked as a file opens, before it plays and each
    // time the system's outputs change. By default the system's list of outputs is asked.
    void SetSoundCheck(std::function<bool()> hasSound);

    const QString& Path() const { return m_path; }
    const QString& SubtitlesPath() const { return m_subtitlesPath; }
    qint64 Position() const { return m_position; }
    // The captions on screen, one under another, empty between captions.
    QString Caption() const;
    // Which captions are drawn once there is a translation: the source, the translation, or both
    // stacked (the items in CaptionShown's order).
    enum CaptionShown { SourceShown, TranslationShown, BothShown };
    QComboBox* CaptionChoice() const { return m_captionChoice; }
    QPushButton* PlayButton() const { return m_play; }
    QSlider* Slider() const { return m_slider; }
    QLabel* Time() const { return m_time; }
    // Why nothing plays, when it does not.
    QLabel* Message() const { return m_message; }
    // That the picture plays without sound, when it does.
    QLabel* SoundNote() const { return m_soundNote; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnPosition(qint64 milliseconds);
    void OnDuration(qint64 milliseconds);
    void OnMediaStatus(int status);
    void FollowSoundOutputs();
    void ShowCaption();
    void Fit();
    void Tell(const QString& message);

    QMediaPlayer* m_player;
    QAudioOutput* m_audio;
    QMediaDevices* m_devices;
    std::function<bool()> m_hasSound;
    QGraphicsView* m_view;
    QGraphicsVideoItem* m_video;
    QGraphicsPixmapItem* m_still;
    QGraphicsRectItem* m_captionBack;
    QGraphicsTextItem* m_caption;
    QComboBox* m_captionChoice;
    QComboBox* m_soundChoice;
    DubbedSound* m_dubbed;
    QPushButton* m_play;
    QSlider* m_slider;
    QLabel* m_time;
    QLabel* m_message;
    QLabel* m_soundNote;
    QString m_path;
    QString m_subtitlesPath;
    std::vector<::Caption> m_captions;
    std::vector<::Caption> m_translation;
    qint64 m_position = 0;
    qint64 m_duration = 0;
};
