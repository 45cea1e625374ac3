#include "apps/studio/StudioProject.h"

#include <algorithm>

namespace {

// Works on a constant list and a changeable one alike.
template <typename List>
auto FindIn(List& items, const QUuid& id) -> decltype(&*items.begin())
{
    const auto found = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.id == id; });
    return found == items.end() ? nullptr : &*found;
}

} // namespace

QUuid StudioProject::AddText(const QString& text)
{
    m_texts.append({QUuid::createUuid(), text, {}});
    emit TextAdded(m_texts.last().id);
    return m_texts.last().id;
}

QUuid StudioProject::AddMedia(const QString& path)
{
    m_media.append({QUuid::createUuid(), path, {}});
    emit MediaAdded(m_media.last().id);
    return m_media.last().id;
}

bool StudioProject::AttachAudio(const QUuid& text, const ToolResult& result)
{
    TextObject* object = FindIn(m_texts, text);
    if (!object)
        return false;
    ToolResult attached = result;
    attached.owner = text;
    object->audio.append(attached);
    emit ResultAttached(text, attached);
    AddToBin(attached);
    return true;
}

bool StudioProject::AttachSubtitles(const QUuid& media, const ToolResult& result)
{
    MediaFile* file = FindIn(m_media, media);
    if (!file)
        return false;
    ToolResult attached = result;
    attached.owner = media;
    file->subtitles.append(attached);
    emit ResultAttached(media, attached);
    AddToBin(attached);
    return true;
}

void StudioProject::AddToBin(const ToolResult& result)
{
    m_bin.append(result);
    emit BinAdded(result);
}

const TextObject* StudioProject::FindText(const QUuid& id) const
{
    return FindIn(m_texts, id);
}

const MediaFile* StudioProject::FindMedia(const QUuid& id) const
{
    return FindIn(m_media, id);
}
