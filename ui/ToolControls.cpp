#include "ui/ToolControls.h"

#include "host/CI3Button.h"
#include "host/CQOVDefUiSettings.h"

#include <QLabel>

QLabel* ToolControls::Label(QWidget* parent, const QString& text, Qt::Alignment align)
{
    auto* label = new QLabel(text, parent);
    label->setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
    label->setAlignment(align);
    return label;
}

void ToolControls::Buttons(QWidget* parent, std::initializer_list<Button> buttons)
{
    for (const Button& b : buttons) {
        *b.button = new CI3Button(parent, b.id);
        (*b.button)->SetWindowTextW(QString::fromUtf8(b.caption));
    }
}
