#pragma once

#include "host/ChildControl.h"

#include <QPushButton>

class CZuBuffer;

// The editor's push button: a caption over state bitmaps, or the theme's flat look when a state
// has no bitmap. Reports clicks with its child identifier so one handler can serve many buttons.
class CI3Button : public ChildControl<QPushButton>
{
    Q_OBJECT

public:
    explicit CI3Button(QWidget* parent = nullptr, int id = 0);

    // Bitmaps are not owned and must outlive the button; a missing state falls back to normal,
    // and no normal bitmap means flat themed drawing.
    void SetButtonRange(const CZuBuffer* normal, const CZuBuffer* hover, const CZuBuffer* pressed,
                        const CZuBuffer* disabled);
    void SetWindowTextW(const QString& text) { setText(text); }
    QString GetWindowTextW() const { return text(); }
    void EnableWindow(bool enable) { setEnabled(enable); }

signals:
    void clicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CZuBuffer* StateBitmap() const;

    const CZuBuffer* m_normal = nullptr;
    const CZuBuffer* m_hover = nullptr;
    const CZuBuffer* m_pressed = nullptr;
    const CZuBuffer* m_disabled = nullptr;
};
