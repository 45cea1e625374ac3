#pragma once

#include <QDir>
#include <QObject>

class StudioWindow;

// Takes the studio's pictures and then closes it: the window as it opens (studio.png), then with
// a text object and a media file in the project and each tool chosen in turn (studio-<n>.png,
// n counting tools from 1). Each picture is taken from the event loop, once the window is laid out.
class ScreenshotRun : public QObject
{
    Q_OBJECT

public:
    ScreenshotRun(StudioWindow& window, const QString& folder);

    // Starts from the event loop; the application quits after the last picture.
    void Start();
    // False once a picture could not be written.
    bool Succeeded() const { return m_succeeded; }

private:
    void Step();
    void Grab(const QString& name);

    StudioWindow& m_window;
    QDir m_folder;
    int m_step = 0;
    bool m_succeeded = true;
};
