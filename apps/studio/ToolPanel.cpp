#include "apps/studio/ToolPanel.h"

#include <QLabel>
#include <QStackedLayout>

ToolPanel::ToolPanel(QWidget* parent)
    : QWidget(parent)
    , m_stack(new QStackedLayout(this))
    , m_placeholder(new QLabel(this))
{
    setObjectName(QStringLiteral("toolPanel"));
    // Lets the style sheet paint the panel's own background and frame.
    setAttribute(Qt::WA_StyledBackground);
    m_placeholder->setObjectName(QStringLiteral("placeholder"));
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setWordWrap(true);
    m_stack->addWidget(m_placeholder);
}

void ToolPanel::Show(QWidget* window, const QString& placeholder)
{
    // A window destroyed by the module leaves the layout by itself; one still here is replaced.
    if (m_window && m_window != window)
        m_stack->removeWidget(m_window);
    m_window = window;
    m_placeholder->setText(placeholder);
    if (window) {
        m_stack->addWidget(window);
        m_stack->setCurrentWidget(window);
    } else {
        m_stack->setCurrentWidget(m_placeholder);
    }
}
