#include "ui/ToolWindow.h"

#include "host/QOVMessage.h"
#include "service/MessageNumbers.h"

#include <QFileDialog>
#include <QLabel>

ToolWindow::ToolWindow(uint32_t hostMessage, QWidget* parent) : CQOVBaseWnd(parent), m_hostMessage(hostMessage)
{
}

ToolWindow::~ToolWindow() = default;

bool ToolWindow::Run(std::unique_ptr<Task> task, Progressed progressed, Ended ended, bool updateStart)
{
    // The task it replaces goes first: it stops, and its signals no longer reach the window.
    m_task = std::move(task);
    Task* running = m_task.get();
    if (progressed)
        connect(running, &Task::progress, this, std::move(progressed));
    connect(running, &Task::ended, this, [this, ended = std::move(ended)](const TaskEnd& end) {
        SetBusy(false);
        if (end.Failed() && !end.error.text.isEmpty())
            SetStatus(end.error.text);
        if (ended)
            ended(end);
    });
    if (!running->Start()) {
        m_task.reset();
        return false;
    }
    SetBusy(true, updateStart);
    return true;
}

void ToolWindow::SendFiles(const QString& files)
{
    if (m_hostMessage == 0)
        return;
    const QString copy = files;
    SendToOwner(int(m_hostMessage), 0, intptr_t(&copy));
}

void ToolWindow::SendFiles(const QUuid& object, const QString& files)
{
    if (m_hostMessage == 0)
        return;
    const QUuid objectCopy = object;
    const QString filesCopy = files;
    SendToOwner(int(m_hostMessage), uintptr_t(&objectCopy), intptr_t(&filesCopy));
}

bool ToolWindow::OnWindowMessage(QOVMessageEvent* message)
{
    if (message->Message() != MessageNumbers::kHistoryItem)
        return OnToolMessage(message);
    // The message owns its texts.
    const QString* source = message->WText();
    const QString* files = message->LText();
    if (!files)
        return true;
    if (const std::optional<QUuid> object = EntryObject(source ? *source : QString()))
        SendFiles(*object, *files);
    else
        SendFiles(*files);
    return true;
}

void ToolWindow::OnChooseOutputFolder()
{
    const QString folder = ChooseFolder();
    if (!folder.isEmpty())
        m_outputFolder = folder + QLatin1Char('/');
}

QString ToolWindow::ChooseFolder()
{
    return QFileDialog::getExistingDirectory(this, QString(), m_outputFolder);
}

void ToolWindow::SetBusy(bool busy, bool updateStart)
{
    m_busy = busy;
    if (updateStart)
        UpdateStart();
}

void ToolWindow::SetStatus(const QString& text)
{
    if (m_status)
        m_status->setText(text);
}
