#pragma once

#include <QColor>
#include <QFont>

// The editor's shared look: one dark theme that every tool window and control paints with.
class CQOVDefUiSettings
{
public:
    static const CQOVDefUiSettings& GetDefUiSettings();

    QColor background;      // window and panel background
    QColor editBackground;  // text fields, lists
    QColor text;
    QColor disabledText;
    QColor border;
    QColor tile;            // thumbnails and tiles
    QColor selectedTile;
    QColor line;            // separators
    QColor accent;          // focus, progress, selection
    QColor buttonFace;
    QColor buttonHover;
    QColor buttonPressed;
    QFont defaultFont;      // shows Chinese
    QFont boldFont;

    // A style sheet that gives plain Qt widgets the same look.
    QString StyleSheet() const;

private:
    CQOVDefUiSettings();
};
