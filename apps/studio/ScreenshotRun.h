#pragma once

#include <QDir>
#include <QObject>

class DubbingShots;
class PaintingShots;
class SubtitlesShots;
class StudioWindow;

// Takes the studio's pictures and then closes it: the window as it opens (studio.png), then with
// a text object and a media file in the project and each tool chosen in turn (studio-<n>.png,
// n counting tools from 1). Then the dubbing tool speaks a short and a long text (DubbingShots)
// and the painting tool makes images and shows a reference (PaintingShots), and the subtitles
// tool turns the sample video into subtitles (SubtitlesShots; the screenshot script makes the
// video beside the pictures). When
// the last tool shows a window with a topic, a start button and a
// history button (the copywriting tool), it also generates a text (studio-generated.png) and opens
// the history (history.png). Each picture is taken from the event loop, once the window is laid out.
class ScreenshotRun : public QObject
{
    Q_OBJECT

public:
    ScreenshotRun(StudioWindow& window, const QString& folder);

    // Starts from the event loop; the application quits after the last picture.
    void Start();
    // Only the window with the sample project open (studio-sample.png), once its video is in;
    // call before the sample is opened.
    void StartSample();
    // False once a picture could not be written.
    bool Succeeded() const { return m_succeeded; }

private:
    void Step();
    void Dub();
    void Paint();
    void Subtitle();
    void Generate();
    void WaitForText();
    void OpenHistory();
    void Finish();
    void Grab(const QString& name);
    bool GrabWidget(QWidget* widget, const QString& name);

    StudioWindow& m_window;
    QDir m_folder;
    int m_step = 0;
    int m_waits = 0;
    DubbingShots* m_dubbing = nullptr;
    PaintingShots* m_painting = nullptr;
    SubtitlesShots* m_subtitles = nullptr;
    bool m_succeeded = true;
};
