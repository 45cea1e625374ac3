#pragma once

#include "host/ChildControl.h"

#include <QSlider>

// The editor's horizontal number slider. A position change made by the user is reported with the
// child identifier and the new position (the original's 0x401 notification); SetNumberInfo and
// SetPos stay silent.
class CNLESlider : public ChildControl<QSlider>
{
    Q_OBJECT

public:
    // The window message number the original sent for a user change; kept for tool windows that
    // forward it.
    static constexpr int kPositionChangedMessage = 0x401;

    explicit CNLESlider(QWidget* parent = nullptr, int id = 0);

    // Sets range and value; flag is kept for the caller (the tools pass 0).
    void SetNumberInfo(int low, int high, int value, int flag);
    int GetNumberFlag() const { return m_flag; }
    void SetPos(int position);
    int GetPos() const { return value(); }

signals:
    void sliderChanged(int id, int position);

private:
    int m_flag = 0;
    bool m_quiet = false;
};
