#pragma once

#include <QObject>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;
class StudioWindow;

// The dubbing tool's pictures for the screenshot run: the window as it opens with the pointer on a
// voice (dubbing.png), after a short text was spoken (dubbing-generated.png) and while a long text
// is a running task (dubbing-long.png). The studio must show the dubbing tool with a text selected.
class DubbingShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;

    DubbingShots(StudioWindow& window, Grab grab, std::function<void()> done);
    void Start();

private:
    void Speak();
    void WaitForShort();
    void WaitForTask();
    void WaitForResult();
    QWidget* Tool() const;
    QPushButton* StartButton() const;
    bool Shows(const QString& text) const;
    // Tries again after a while, or gives up (false) once the time is up.
    bool Again(void (DubbingShots::*step)());

    StudioWindow& m_window;
    Grab m_grab;
    std::function<void()> m_done;
    int m_waits = 0;
};
