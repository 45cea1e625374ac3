#pragma once

#include <QObject>
#include <QTemporaryDir>

#include <functional>

class QPushButton;
class QWidget;
class StudioWindow;

// The painting tool's pictures for the screenshot run: the window as it opens (painting.png),
// after a generation of four images in a style (painting-generated.png), with a reference image
// chosen through the file dialog (painting-reference.png), and with the generation's images
// handed to the studio's bin from the history (painting-handed.png).
class PaintingShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;

    PaintingShots(StudioWindow& window, Grab grab, std::function<void()> done);
    // Chooses the painting tool and takes the pictures.
    void Start();

private:
    void Generate();
    void WaitForImages();
    void ChooseReference();
    void AnswerFileDialog();
    void HandOver();
    QWidget* Tool() const;
    QPushButton* Button(const QString& caption) const;
    QString Status() const;

    StudioWindow& m_window;
    Grab m_grab;
    std::function<void()> m_done;
    QTemporaryDir m_scratch;
    QString m_reference;
    int m_waits = 0;
};
