#include "apps/studio/ResultInbox.h"

#include "apps/studio/StudioProject.h"
#include "host/QOVMessage.h"

#include <QFileInfo>
#include <QUuid>


namespace {

enum class ResultKind { Audio, Subtitles, Other };

ResultKind KindOf(const QString& path)
{
    static const QStringList audio{QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("pcm"),
                                   QStringLiteral("m4a"), QStringLiteral("aac")};
    static const QStringList subtitles{QStringLiteral("srt"), QStringLiteral("ass"), QStringLiteral("lrc")};
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (audio.contains(suffix))
        return ResultKind::Audio;
    if (subtitles.contains(suffix))
        return ResultKind::Subtitles;
    return ResultKind::Other;
}

} // namespace

bool ResultInbox::IsAudio(const QString& path)
{
    return KindOf(path) == ResultKind::Audio;
}

ResultInbox::ResultInbox(StudioProject& project, QObject* parent)
    : QObject(parent)
    , m_project(project)
{
}

void ResultInbox::Route(int message, const QString& tool)
{
    m_tools.insert(message, tool);
}

bool ResultInbox::Receive(const QOVMessageEvent& message)
{
    const auto tool = m_tools.constFind(message.Message());
    if (tool == m_tools.constEnd())
        return false;
    const auto* paths = reinterpret_cast<const QString*>(message.LParam());
    if (!paths)
        return true;
    const auto* owner = reinterpret_cast<const QUuid*>(message.WParam());
    // The painting tool hands over all the images of a task at once, each followed by "|".
    for (const QString& path : paths->split(QLatin1Char('|'), Qt::SkipEmptyParts))
        File(path, owner, *tool);
    return true;
}

void ResultInbox::File(const QString& path, const QUuid* owner, const QString& tool)
{
    const ToolResult result{path, tool, {}};
    bool attached = false;
    switch (KindOf(path)) {
    case ResultKind::Audio:
        attached = owner && m_project.AttachAudio(*owner, result);
        break;
    case ResultKind::Subtitles:
        attached = owner && m_project.AttachSubtitles(*owner, result);
        break;
    case ResultKind::Other:
        break;
    }
    // A result whose object is gone (or never named) is still the user's: keep it in the bin.
    if (!attached)
        m_project.AddToBin(result);
}

bool ResultInbox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() >= QEvent::User && m_tools.contains(int(event->type()))) {
        if (const auto* message = dynamic_cast<const QOVMessageEvent*>(event))
            return Receive(*message);
    }
    return QObject::eventFilter(watched, event);
}
