#pragma once

class QApplication;

// The studio's dark look and a font that covers Chinese text.
class StudioTheme
{
public:
    static void Apply(QApplication& application);
};
