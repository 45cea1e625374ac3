#include "host/CZuEdit.h"

#include "host/CQOVDefUiSettings.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

CZuEdit::CZuEdit(QWidget* parent, int id, bool multiLine)
    : ChildControl(id, parent)
{
    BuildEditor(multiLine);
}

bool CZuEdit::Create(QWidget* parent, const QRect& rect, int id, bool multiLine)
{
    if (multiLine != IsMultiLine())
        BuildEditor(multiLine);
    return ChildControl::Create(parent, rect, id);
}

void CZuEdit::BuildEditor(bool multiLine)
{
    const QString text = m_line || m_multi ? GetWindowTextW() : QString();
    delete m_line;
    delete m_multi;
    m_line = nullptr;
    m_multi = nullptr;

    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    QWidget* editor = nullptr;
    if (multiLine) {
        m_multi = new QPlainTextEdit(this);
        m_multi->setPlainText(text);
        connect(m_multi, &QPlainTextEdit::textChanged, this, [this] { emit textChanged(m_id); });
        editor = m_multi;
    } else {
        m_line = new QLineEdit(text, this);
        connect(m_line, &QLineEdit::textChanged, this, [this] { emit textChanged(m_id); });
        editor = m_line;
    }
    editor->setStyleSheet(ui.StyleSheet());
    editor->setFont(ui.defaultFont);
    editor->installEventFilter(this);
    editor->setGeometry(rect());
    setFocusProxy(editor);
    editor->show();
}

void CZuEdit::SetWindowTextW(const QString& text)
{
    if (m_line)
        m_line->setText(text);
    else
        m_multi->setPlainText(text);
}

QString CZuEdit::GetWindowTextW() const
{
    return m_line ? m_line->text() : m_multi->toPlainText();
}

void CZuEdit::SetReadOnly(bool readOnly)
{
    if (m_line)
        m_line->setReadOnly(readOnly);
    else
        m_multi->setReadOnly(readOnly);
}

void CZuEdit::SetLimitText(int maxChars)
{
    // Only a single line has a native limit; multi-line boxes in the tools never set one.
    if (m_line)
        m_line->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

QWidget* CZuEdit::Editor() const
{
    return m_line ? static_cast<QWidget*>(m_line) : static_cast<QWidget*>(m_multi);
}

bool CZuEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Editor() && event->type() == QEvent::FocusOut)
        emit focusLost(m_id);
    return QWidget::eventFilter(watched, event);
}

void CZuEdit::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Editor()->setGeometry(rect());
}
