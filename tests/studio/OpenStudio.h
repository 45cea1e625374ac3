#pragma once

#include "apps/studio/StudioWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The studio on the built module, shown; null (with the loader's reason reported) when it will not load.
inline std::unique_ptr<StudioWindow> OpenStudio()
{
    QString error;
    std::optional<ModuleEntry> module = ModuleEntry::Load(QStringLiteral(QOVAIGC_MODULE), &error);
    EXPECT_TRUE(module) << error.toStdString();
    if (!module)
        return nullptr;
    auto studio = std::make_unique<StudioWindow>(std::move(*module), QStringLiteral(QOVAIGC_MODULE));
    studio->show();
    return studio;
}

// A tool window's push button found by its caption, as a user finds it.
inline QPushButton* Captioned(QWidget* window, const QString& caption)
{
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

// Answers the question the studio asks next, once it is on screen.
inline void Answer(QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [button] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(button)->click();
    });
}
