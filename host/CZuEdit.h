#pragma once

#include "host/ChildControl.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

// The editor's plain edit box: one line, or several when created multi-line. Every change of the
// text (typed or set, as on the original platform) and every loss of focus is reported with the
// child identifier.
class CZuEdit : public ChildControl<QWidget>
{
    Q_OBJECT

public:
    explicit CZuEdit(QWidget* parent = nullptr, int id = 0, bool multiLine = false);

    bool Create(QWidget* parent, const QRect& rect, int id, bool multiLine = false);
    bool IsMultiLine() const { return m_multi != nullptr; }

    void SetWindowTextW(const QString& text);
    QString GetWindowTextW() const;
    void SetReadOnly(bool readOnly);
    void SetLimitText(int maxChars);
    // The editing widget inside (for focus and key handling).
    QWidget* Editor() const;

signals:
    void textChanged(int id);
    void focusLost(int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildEditor(bool multiLine);

    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_multi = nullptr;
};
