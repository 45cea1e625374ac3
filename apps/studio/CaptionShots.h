#pragma once

#include <QObject>

#include <functional>

class StudioWindow;

// The preview's and the sentence list's pictures for the screenshot run: a video with its caption
// drawn over a frame (preview-captions.png), and the sentences after a layout and an edit
// (captions-edited.png). A media file with subtitles must be in the project. The frame is taken
// from the file with the ffmpeg program, as the off-screen platform draws no video of its own.
class CaptionShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;

    CaptionShots(StudioWindow& window, Grab grab, std::function<void()> done);
    void Start();

    // The picture of video at a moment, read by the ffmpeg program as PNG bytes (none when it
    // fails), handed to done from owner's event loop.
    static void ReadFrame(QObject* owner, const QString& video, qint64 at, std::function<void(const QByteArray&)> done);

private:
    void ShowFrame(const QByteArray& png, qint64 at);
    void Edit();

    StudioWindow& m_window;
    Grab m_grab;
    std::function<void()> m_done;
};
