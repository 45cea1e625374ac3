#include "host/CQOVRichEditCtrl.h"

#include "host/CQOVDefUiSettings.h"

#include <QTextCursor>

CQOVRichEditCtrl::CQOVRichEditCtrl(QWidget* parent, int id)
    : ChildControl(id, parent)
    , m_textColor(CQOVDefUiSettings::GetDefUiSettings().text)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    setAcceptRichText(false);
    // No font in the sheet: a sheet's font would override SetFont.
    setStyleSheet(QStringLiteral("QTextEdit { background-color: %1; color: %2; border: 1px solid %3;"
                                 " border-radius: 3px; }")
                      .arg(ui.editBackground.name(), ui.text.name(), ui.border.name()));
    QTextEdit::setFont(ui.defaultFont);
    ApplyLook();
    // Our textChanged(int) hides the base signal, so name the base one explicitly.
    connect(this, &QTextEdit::textChanged, this, [this] { emit textChanged(m_id); });
}

void CQOVRichEditCtrl::SetWindowTextW(const QString& text)
{
    setPlainText(text);
    ApplyLook();
}

void CQOVRichEditCtrl::SetRichTextColor(const QColor& color)
{
    m_textColor = color;
    ApplyLook();
}

void CQOVRichEditCtrl::SetFont(const QFont& font)
{
    QTextEdit::setFont(font);
    ApplyLook();
}

void CQOVRichEditCtrl::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    emit focusLost(m_id);
}

// Applies colour and font to the existing text and to what is typed next, without the change
// being reported as an edit.
void CQOVRichEditCtrl::ApplyLook()
{
    const QSignalBlocker quiet(this);
    QTextCharFormat format;
    format.setForeground(m_textColor);
    format.setFont(font());
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(format);
    mergeCurrentCharFormat(format);
    setTextColor(m_textColor);
}
