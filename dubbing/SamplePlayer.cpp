#include "dubbing/SamplePlayer.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

SamplePlayer::SamplePlayer() = default;

SamplePlayer::~SamplePlayer() = default;

void SamplePlayer::Play(const QString& path)
{
    Stop();
    if (!QFileInfo(path).isFile())
        return;
    if (!m_effect) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return;
        m_effect = std::make_unique<QSoundEffect>(device);
    }
    // Loading and playing run on the sound system's own schedule; a file it cannot decode ends in
    // its error state, silently.
    m_effect->setSource(QUrl::fromLocalFile(path));
    m_effect->play();
}

void SamplePlayer::Stop()
{
    if (m_effect)
        m_effect->stop();
}
