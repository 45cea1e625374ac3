#pragma once

#include <QString>
#include <QWidget>
#include <Qt>

#include <initializer_list>

class CI3Button;
class QLabel;
class QWidget;

// The plain controls the tool windows and their dialogs all make alike: labels in the editor's
// default font, and captioned buttons from a table.
class ToolControls
{
public:
    // Where the button goes, its control identifier and its caption in UTF-8.
    struct Button
    {
        CI3Button** button;
        int id;
        const char* caption;
    };

    static QLabel* Label(QWidget* parent, const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    static void Buttons(QWidget* parent, std::initializer_list<Button> buttons);
    // The parent's own control of type T with identifier id; null when it has none.
    template <typename T>
    static T* Find(const QWidget* parent, int id)
    {
        for (T* control : parent->findChildren<T*>(Qt::FindDirectChildrenOnly)) {
            if (control->GetDlgCtrlID() == id)
                return control;
        }
        return nullptr;
    }
};
