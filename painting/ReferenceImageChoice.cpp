#include "painting/ReferenceImageChoice.h"

#include "painting/ReferenceImage.h"

#include <QFileInfo>

ReferenceImageChoice::Outcome ReferenceImageChoice::Choose(const QString& path)
{
    if (path.isEmpty())
        return Unchanged;
    // A file that does not load leaves the earlier choice as it was.
    CZuBuffer probe{0xFFFFFFFFu};
    if (!probe.CreateFromFile(path))
        return Unreadable;
    m_picture.Release();
    if (!m_picture.CreateFromFile(path)) {
        Drop();
        return Unreadable;
    }
    m_path = path;
    m_shown = true;
    return IsReferenceImageSent(path) ? Chosen : ChosenNotSent;
}

ReferenceImageChoice::Outcome ReferenceImageChoice::EditLeft(const QString& typed)
{
    if (typed == m_path && !m_path.isEmpty())
        return Check();
    if (typed.isEmpty() && m_path.isEmpty())
        return Unchanged;
    // Emptying the edit is how a user goes without a reference; another typed path is never
    // loaded, and the browsed image stays chosen.
    if (typed.isEmpty()) {
        Drop();
        return Cleared;
    }
    return Typed;
}

ReferenceImageChoice::Outcome ReferenceImageChoice::Check()
{
    if (m_path.isEmpty() || QFileInfo::exists(m_path))
        return Unchanged;
    Drop();
    return Gone;
}

void ReferenceImageChoice::Drop()
{
    m_path.clear();
    m_picture.Release();
    m_shown = false;
}
