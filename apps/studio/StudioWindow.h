#pragma once

#include "apps/studio/ModuleEntry.h"
#include "apps/studio/ResultInbox.h"
#include "apps/studio/StudioProject.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class ExportDialog;
class MediaPreview;
class ProjectView;
class QListWidget;
class SampleProject;
class ToolHost;
class ToolPanel;

// The stand-in editor's main window: the module's tools on the left, the open tool's window in
// the middle, the project on the right. Tool windows report to it (or to the panel they sit in)
// with their message numbers; the result inbox files what they send.
class StudioWindow : public QMainWindow
{
    Q_OBJECT

public:
    StudioWindow(ModuleEntry module, const QString& modulePath, QWidget* parent = nullptr);
    // Shuts the module down if closing the window has not already.
    ~StudioWindow() override;

    // Opens the tool in that row of the tool list (-1 for none).
    void ChooseTool(int row);
    // The export dialog open for the current media file, if any.
    ExportDialog* Export() const;
    // Adds the sample project's texts and video (see SampleProject), as "打开示例" does.
    void OpenSample();

    StudioProject& Project() { return m_project; }
    SampleProject& Sample() { return *m_sample; }
    ToolHost& Host() { return *m_host; }
    ToolPanel& Panel() { return *m_panel; }
    ProjectView& View() { return *m_view; }
    MediaPreview& Preview() { return *m_preview; }
    QListWidget& ToolList() { return *m_toolList; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* MakeToolSide();
    void MakeMenu();
    void ConnectPreview();
    void PreviewSelection();
    void PreviewSubtitlesOf(const QString& subtitles);
    void OpenExport();
    QStringList TracksOf(const QUuid& media) const;

    ModuleEntry m_module;
    StudioProject m_project;
    ResultInbox m_inbox;
    ToolPanel* m_panel;
    ProjectView* m_view;
    MediaPreview* m_preview;
    QListWidget* m_toolList = nullptr;
    std::unique_ptr<ToolHost> m_host;
    SampleProject* m_sample;
    QPointer<ExportDialog> m_export;
};
