#pragma once

#include "host/CQOVBaseWnd.h"

#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>

class QLabel;
class QOVMessageEvent;

// What the four tool windows share: the message their results go to the editor with, the
// hand-over of a history entry, the folder results are written to with its chooser, the busy state
// with its start control, and the status line.
class ToolWindow : public CQOVBaseWnd
{
public:
    // The folder results are written to, ending in "/".
    QString OutputFolder() const { return m_outputFolder; }
    // Whether a task of the window is under way.
    bool IsBusy() const { return m_busy; }

protected:
    // hostMessage: the number the window sends the editor its results with (0: none).
    explicit ToolWindow(uint32_t hostMessage, QWidget* parent = nullptr);

    uint32_t HostMessage() const { return m_hostMessage; }
    // Sends the editor files (each followed by "|", or one path) with the host message, with the
    // object they belong to when the tool has one; nothing without a host message. The editor
    // copies what it keeps: both live for the call only.
    void SendFiles(const QString& files);
    void SendFiles(const QUuid& object, const QString& files);

    // The history hands an entry over (its source and its files): the editor gets the files, with
    // the object EntryObject names, or with none for a tool whose results belong to no object.
    bool OnWindowMessage(QOVMessageEvent* message) override;
    // The window's own messages, after the history's.
    virtual bool OnToolMessage(QOVMessageEvent* message);
    virtual std::optional<QUuid> EntryObject(const QString& source) const;

    void SetOutputFolder(const QString& folder);
    // Asks for a folder and makes it the output folder; a cancelled chooser changes nothing.
    void OnChooseOutputFolder();
    // The folder chooser; tests answer it.
    virtual QString ChooseFolder();

    // A task of the window starts or ends. The start control follows by the window's own rule
    // (UpdateStart), unless updateStart is false: a start that leaves the control as it was.
    void SetBusy(bool busy, bool updateStart = true);
    // Enables the window's start control as its rule says; whenever the busy state changes.
    virtual void UpdateStart() {}

    // The line the window tells the user its state in, once the window has made it.
    void SetStatusLabel(QLabel* label) { m_status = label; }
    void SetStatus(const QString& text);

private:
    uint32_t m_hostMessage;
    QString m_outputFolder;
    QLabel* m_status = nullptr;
    bool m_busy = false;
};
