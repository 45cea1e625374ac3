#pragma once

#include <QColor>
#include <QFont>

// The editor's shared look: one dark theme that every tool window and control paints with.
class CQOVDefUiSettings
{
public:
    static const CQOVDefUiSettings& GetDefUiSettings();

    QColor background{0x23, 0x26, 0x2B};     // window and panel background
    QColor editBackground{0x1A, 0x1C, 0x20}; // text fields, lists
    QColor text{0xDD, 0xE2, 0xE8};
    QColor disabledText{0x7A, 0x80, 0x88};
    QColor border{0x45, 0x4A, 0x52};
    QColor tile{0x2E, 0x32, 0x38};           // thumbnails and tiles
    QColor selectedTile{0x2C, 0x46, 0x62};
    QColor line{0x36, 0x3A, 0x41};           // separators
    QColor accent{0x3D, 0x9B, 0xF0};         // focus, progress, selection
    QColor buttonFace{0x34, 0x39, 0x40};
    QColor buttonHover{0x3E, 0x44, 0x4C};
    QColor buttonPressed{0x2A, 0x2E, 0x34};
    QFont defaultFont;                       // shows Chinese
    QFont boldFont;

    // A style sheet that gives plain Qt widgets the same look.
    QString StyleSheet() const;

private:
    CQOVDefUiSettings();
};
