#include "host/CI3Button.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QPainter>

namespace {
constexpr qreal kCornerRadius = 3.0;
}

CI3Button::CI3Button(QWidget* parent, int id)
    : ChildControl(id, parent)
{
    setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
    // The base class's clicked(bool) is hidden by ours, so name it explicitly.
    connect(this, &QAbstractButton::clicked, this, [this] { emit clicked(m_id); });
}

void CI3Button::SetButtonRange(const CZuBuffer* normal, const CZuBuffer* hover, const CZuBuffer* pressed,
                               const CZuBuffer* disabled)
{
    m_normal = normal;
    m_hover = hover;
    m_pressed = pressed;
    m_disabled = disabled;
    update();
}

const CZuBuffer* CI3Button::StateBitmap() const
{
    const CZuBuffer* chosen = nullptr;
    if (!isEnabled())
        chosen = m_disabled;
    else if (isDown())
        chosen = m_pressed;
    else if (underMouse())
        chosen = m_hover;
    if (!chosen || chosen->IsEmpty())
        chosen = m_normal;
    return chosen && !chosen->IsEmpty() ? chosen : nullptr;
}

void CI3Button::paintEvent(QPaintEvent*)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect();
    if (const CZuBuffer* bitmap = StateBitmap()) {
        bitmap->StretchBltToDC(&painter, area, QRect(), 0);
    } else {
        QColor face = ui.buttonFace;
        if (isEnabled() && isDown())
            face = ui.buttonPressed;
        else if (isEnabled() && underMouse())
            face = ui.buttonHover;
        painter.setPen(hasFocus() ? ui.accent : ui.border);
        painter.setBrush(face);
        painter.drawRoundedRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    }
    painter.setFont(font());
    painter.setPen(isEnabled() ? ui.text : ui.disabledText);
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text());
}
