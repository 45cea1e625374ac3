#include "apps/studio/DubbedSound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

DubbedSound::DubbedSound(QMediaPlayer& video, QAudioOutput& videoSound, QObject* parent)
    : QObject(parent)
    , m_video(video)
    , m_videoSound(videoSound)
    , m_player(new QMediaPlayer(this))
    , m_sound(new QAudioOutput(this))
{
    connect(&m_video, &QMediaPlayer::playbackStateChanged, this, &DubbedSound::Follow);
}

void DubbedSound::SetTrack(const QString& path)
{
    m_track = path;
    m_videoSound.setMuted(!path.isEmpty());
    m_player->stop();
    m_player->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
    Seek(m_video.position());
    Follow();
}

void DubbedSound::SetSoundOutput(bool available)
{
    m_available = available;
    if (available && !m_player->audioOutput()) {
        m_sound->setDevice(QMediaDevices::defaultAudioOutput());
        m_player->setAudioOutput(m_sound);
    } else if (!available && m_player->audioOutput()) {
        m_player->setAudioOutput(nullptr);
    }
}

void DubbedSound::Seek(qint64 milliseconds)
{
    if (!m_track.isEmpty())
        m_player->setPosition(milliseconds);
}

void DubbedSound::Follow()
{
    if (m_track.isEmpty())
        return;
    switch (m_video.playbackState()) {
    case QMediaPlayer::PlayingState:
        // Started where the picture is, so speech stays with its captions.
        m_player->setPosition(m_video.position());
        m_player->play();
        break;
    case QMediaPlayer::PausedState:
        m_player->pause();
        break;
    case QMediaPlayer::StoppedState:
        m_player->stop();
        break;
    }
}
