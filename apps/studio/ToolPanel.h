#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QStackedLayout;

// The central panel a tool window lives in. The module creates the window as a child of this
// panel; the panel lays it out to fill itself, and shows a placeholder while there is none.
class ToolPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPanel(QWidget* parent = nullptr);

    // Shows window (a child the module made, or null for none) in place of whatever was shown.
    void Show(QWidget* window, const QString& placeholder);
    QWidget* Window() const { return m_window; }

private:
    QStackedLayout* m_stack;
    QLabel* m_placeholder;
    QPointer<QWidget> m_window;
};
