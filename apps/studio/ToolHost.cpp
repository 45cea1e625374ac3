#include "apps/studio/ToolHost.h"

#include "apps/studio/ResultInbox.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/ToolPanel.h"

#include <QHash>

namespace {

// Shown in the panel before any tool is chosen.
const QString kChooseTool = QStringLiteral("从左侧选择一个 AI 工具");

} // namespace

const QString& ToolHost::Placeholder()
{
    static const QString text = QStringLiteral("此工具的窗口尚未提供");
    return text;
}

ToolHost::ToolHost(const ModuleEntry& module, ToolPanel& panel, ResultInbox& inbox)
    : m_module(module)
    , m_panel(panel)
    , m_tools(module.ListTools())
{
    for (int i = 0; i < m_tools.size(); ++i)
        inbox.Route(kFirstMessage + i, m_tools[i].displayName);
    m_panel.Show(nullptr, kChooseTool);
}

int ToolHost::IndexOf(ToolId tool) const
{
    const QUuid& guid = ToolTable::Of(tool).guid;
    for (int i = 0; i < m_tools.size(); ++i) {
        if (m_tools[i].toolId == guid)
            return i;
    }
    return -1;
}

QString ToolHost::Name(ToolId tool) const
{
    const int index = IndexOf(tool);
    return index < 0 ? QString() : m_tools[index].displayName;
}

void ToolHost::Open(int index, const ProjectSelection& selection)
{
    Close();
    if (m_released || index < 0 || index >= m_tools.size())
        return;
    m_current = index;
    QWidget* window = m_module.CreateWindow(m_tools[index].toolId, &m_panel, kFirstMessage + index);
    m_windowCreated = window != nullptr;
    m_window = window;
    m_panel.Show(window, Placeholder());
    HandOver(selection);
}

void ToolHost::Close()
{
    if (m_windowCreated) {
        // The window may have closed itself; the module still forgets it, with a null window.
        m_module.DestroyWindow(m_tools[m_current].toolId, m_window.data());
        m_windowCreated = false;
        m_window.clear();
    }
    m_current = -1;
    m_panel.Show(nullptr, kChooseTool);
}

void ToolHost::HandOver(const ProjectSelection& selection) const
{
    if (!m_window)
        return;
    const QUuid& tool = m_tools[m_current].toolId;
    const ToolRow* row = ToolTable::Find(tool);
    const ToolSelection takes = row ? row->selection : ToolSelection::None;
    if (takes == ToolSelection::TextObject && selection.text) {
        m_module.Select(tool, selection.text->id, selection.text->text, nullptr);
    } else if (takes == ToolSelection::MediaFiles && !selection.media.isEmpty()) {
        // The editor's property map: every other selected file's path with its object's identifier.
        QHash<QString, QString> others;
        for (qsizetype i = 1; i < selection.media.size(); ++i)
            others.insert(selection.media[i]->path, selection.media[i]->id.toString(QUuid::WithBraces));
        const MediaFile& current = *selection.media.first();
        m_module.Select(tool, current.id, current.path, &others);
    } else if (takes == ToolSelection::Subtitles) {
        // Nothing chosen is handed over too: the window must not translate a file put away.
        QHash<QString, QString> properties;
        if (!selection.subtitles.edited.isEmpty())
            properties.insert(QString::fromLatin1(kEditedCaptions), selection.subtitles.edited);
        m_module.Select(tool, selection.subtitles.owner, selection.subtitles.path, &properties);
    }
}

bool ToolHost::TakesSubtitles() const
{
    if (!m_window)
        return false;
    const ToolRow* row = ToolTable::Find(m_tools[m_current].toolId);
    return row && row->selection == ToolSelection::Subtitles;
}

void ToolHost::Shutdown()
{
    if (m_released)
        return;
    Close();
    m_module.Release();
    m_released = true;
}
