#pragma once

#include <QHash>
#include <QString>
#include <QUuid>

// Implemented by the windows that take the editor's current selection (dubbing and subtitles); the
// entry hands the selection over through it without knowing the windows' classes.
class ISelectionReceiver
{
public:
    virtual ~ISelectionReceiver() = default;
    // text: the selected text (dubbing) or media file (subtitles); properties: the editor's
    // property map (subtitles), may be null.
    virtual void SetSelection(const QString& text, const QUuid& selectedObject,
                              const QHash<QString, QString>* properties) = 0;
};
