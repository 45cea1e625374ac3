#pragma once

#include "host/ChildControl.h"

#include <QTextEdit>

// The editor's multi-line text box, kept to plain text in one colour and font. Every change of
// the text (typed or set) and every loss of focus is reported with the child identifier.
class CQOVRichEditCtrl : public ChildControl<QTextEdit>
{
    Q_OBJECT

public:
    explicit CQOVRichEditCtrl(QWidget* parent = nullptr, int id = 0);

    void SetWindowTextW(const QString& text);
    QString GetWindowTextW() const { return toPlainText(); }
    void SetRichTextColor(const QColor& color);
    void SetFont(const QFont& font);
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }

signals:
    void textChanged(int id);
    void focusLost(int id);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyLook();

    QColor m_textColor;
};
