#pragma once

#include <QObject>

#include <functional>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class StudioWindow;

// The subtitles tool's pictures for the screenshot run: the window on tab A with a video selected
// (subtitles.png), on tab B with its model choice (subtitles-tab-b.png), the account dialog
// (subtitles-account.png), while the video's audio is recognised (subtitles-running.png) and once
// its subtitle file is in the bin with its sentences (subtitles-generated.png), and once that file
// is spoken as a voice-over track that joins it in the bin (subtitles-dubbed.png). The studio must
// show the subtitles tool with a video that has speech selected.
class SubtitlesShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;
    using GrabWidget = std::function<void(QWidget* widget, const QString& name)>;

    SubtitlesShots(StudioWindow& window, Grab grab, GrabWidget grabWidget, std::function<void()> done);
    void Start();

private:
    void ShowTabB();
    void OpenAccount();
    void GrabAccount();
    void Recognise();
    void WaitForRunning();
    void WaitForResult();
    void SpeakSubtitles();
    void WaitForTrack();
    QWidget* Tool() const;
    QPushButton* Button(const QString& caption) const;
    bool Shows(const QString& text) const;
    void SelectTab(int index) const;
    // Tries again after a while, or gives up (false) once the time is up.
    bool Again(void (SubtitlesShots::*step)());

    StudioWindow& m_window;
    Grab m_grab;
    GrabWidget m_grabWidget;
    std::function<void()> m_done;
    int m_waits = 0;
    qsizetype m_binBefore = 0;
};
