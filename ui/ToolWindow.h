#pragma once

#include "host/CQOVBaseWnd.h"
#include "service/Task.h"

#include <QString>
#include <QUuid>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QOVMessageEvent;

// What the tool windows share: the message their results go to the editor with, the hand-over of a
// history entry, the folder results are written to with its chooser, the task under way with the
// busy state, start control and status line it drives, and the status line.
class ToolWindow : public CQOVBaseWnd
{
public:
    // Stops the task under way without waiting for it: a task shares nothing with its window.
    ~ToolWindow() override;

    // The folder results are written to, ending in "/".
    QString OutputFolder() const { return m_outputFolder; }
    // Whether a task of the window is under way.
    bool IsBusy() const { return m_busy; }

protected:
    // hostMessage: the number the window sends the editor its results with (0: none).
    explicit ToolWindow(uint32_t hostMessage, QWidget* parent = nullptr);

    // Sends the editor files (each followed by "|", or one path) with the host message, with the
    // object they belong to when the tool has one; nothing without a host message. The editor
    // copies what it keeps: both live for the call only.
    void SendFiles(const QString& files);
    void SendFiles(const QUuid& object, const QString& files);

    // The history hands an entry over (its source and its files): the editor gets the files, with
    // the object EntryObject names, or with none for a tool whose results belong to no object.
    bool OnWindowMessage(QOVMessageEvent* message) override;
    // The window's own messages, after the history's.
    virtual bool OnToolMessage(QOVMessageEvent* /*message*/) { return false; }
    virtual std::optional<QUuid> EntryObject(const QString& /*source*/) const { return std::nullopt; }

    void SetOutputFolder(const QString& folder) { m_outputFolder = folder; }
    // Asks for a folder and makes it the output folder; a cancelled chooser changes nothing.
    void OnChooseOutputFolder();
    // The folder chooser; tests answer it.
    virtual QString ChooseFolder();

    // A task of the window starts or ends. The start control follows by the window's own rule
    // (UpdateStart), unless updateStart is false: a start that leaves the control as it was.
    void SetBusy(bool busy, bool updateStart = true);
    // Enables the window's start control as its rule says; whenever the busy state changes.
    virtual void UpdateStart() {}

    // Makes task the window's task under way and starts it: the window is busy until its end (the
    // start control following, unless updateStart is false), a failure's text goes to the status
    // line, and closing the window stops it. A task under way is replaced: it stops and says
    // nothing more. progressed and ended run on the window's thread, after the busy state and the
    // failure's text are set; ended may say more. False when the task did not start.
    using Progressed = std::function<void(int code, const QString& text)>;
    using Ended = std::function<void(const TaskEnd& end)>;
    bool Run(std::unique_ptr<Task> task, Progressed progressed, Ended ended, bool updateStart = true);
    // The task under way, or the last one; null before the first.
    Task* CurrentTask() const { return m_task.get(); }

    // The line the window tells the user its state in, once the window has made it.
    void SetStatusLabel(QLabel* label) { m_status = label; }
    void SetStatus(const QString& text);

private:
    uint32_t m_hostMessage;
    QString m_outputFolder;
    QLabel* m_status = nullptr;
    bool m_busy = false;
    std::unique_ptr<Task> m_task;
};
