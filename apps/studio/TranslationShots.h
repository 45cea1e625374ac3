#pragma once

#include <QObject>

#include <functional>

class StudioWindow;

// The translation tool's pictures for the screenshot run: the tool after it translated the
// sentences on screen into Spanish (translate-window.png), and the sentences beside their
// translation with both drawn over the preview's frame (translate-side-by-side.png). Subtitles
// must be chosen in the bin, and the local services running.
class TranslationShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;

    // done is told whether the tool gave a translation.
    TranslationShots(StudioWindow& window, Grab grab, std::function<void(bool succeeded)> done);
    void Start();

private:
    void WaitForTranslation();
    void SideBySide();

    StudioWindow& m_window;
    Grab m_grab;
    std::function<void(bool)> m_done;
    int m_waits = 0;
};
