#pragma once

#include <QObject>

#include <functional>

class QWidget;
class StudioWindow;

// The export's pictures for the screenshot run: the dialog after exporting the sample video with
// its dubbed track and both languages' subtitles (export-dialog.png), and the exported video in
// the preview with its captions over a frame of it (exported-preview.png).
class ExportShots : public QObject
{
    Q_OBJECT

public:
    using Grab = std::function<void(const QString& name)>;
    using GrabWidget = std::function<void(QWidget* widget, const QString& name)>;

    // done is told whether a video was exported.
    ExportShots(StudioWindow& window, Grab grab, GrabWidget grabWidget, std::function<void(bool)> done);
    void Start();

private:
    void WaitForExport();
    void ShowExported();

    StudioWindow& m_window;
    Grab m_grab;
    GrabWidget m_grabWidget;
    std::function<void(bool)> m_done;
    qsizetype m_mediaBefore = 0;
    int m_waits = 0;
};
