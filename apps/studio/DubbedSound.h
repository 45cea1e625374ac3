#pragma once

#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

// A dubbed track heard in place of a video's own sound: a second player that follows the video's
// player (playing, pausing, moving with it) while the video's sound is muted. With no track the
// video is heard as it is.
class DubbedSound : public QObject
{
    Q_OBJECT
public:
    // video and its output are the preview's; they outlive this object.
    DubbedSound(QMediaPlayer& video, QAudioOutput& videoSound, QObject* parent = nullptr);

    // The track to hear (empty: the video's own sound).
    void SetTrack(const QString& path);
    const QString& Track() const { return m_track; }
    // Whether the machine has a sound output: without one nothing is given an output, as the
    // backend crashes writing sound for an output that has no device.
    void SetSoundOutput(bool available);
    // The video moved to milliseconds.
    void Seek(qint64 milliseconds);

private:
    void Follow();

    QMediaPlayer& m_video;
    QAudioOutput& m_videoSound;
    QMediaPlayer* m_player;
    QAudioOutput* m_sound;
    QString m_track;
    bool m_available = false;
};
