#pragma once

#include "host/CZuBuffer.h"

#include <QString>

// The reference image the user chose with the browse button: its path and its picture, which
// the window shows while a choice stands. The window sends only the picture it shows.
class ReferenceImageChoice
{
public:
    enum Outcome {
        Unchanged,
        Chosen,        // loaded and shown
        ChosenNotSent, // loaded and shown, but of a type the client does not send
        Unreadable,    // the file did not load; the earlier choice stands
        Gone,          // the chosen file is no longer there; nothing is chosen
        Typed,         // the edit names another file, which is never loaded; the choice stands
        Cleared,       // the edit was emptied; nothing is chosen
    };

    Outcome Choose(const QString& path);
    // The path edit lost the focus reading typed.
    Outcome EditLeft(const QString& typed);
    // Before a generation: the chosen file must still be there.
    Outcome Check();
    void Drop();

    const QString& Path() const { return m_path; }
    const CZuBuffer& Picture() const { return m_picture; }
    bool IsShown() const { return m_shown; }

private:
    QString m_path;
    CZuBuffer m_picture{0xFFFFFFFFu};
    bool m_shown = false;
};
