#include "host/CQOVDefUiSettings.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace {

// The first family that this machine has and that holds Chinese glyphs.
QString ChineseFamily()
{
    const QStringList preferred{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("Source Han Sans SC"), QStringLiteral("Droid Sans Fallback")};
    if (!QGuiApplication::instance())
        return preferred.front();
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : preferred) {
        if (families.contains(family))
            return family;
    }
    return families.isEmpty() ? preferred.front() : families.front();
}

} // namespace

const CQOVDefUiSettings& CQOVDefUiSettings::GetDefUiSettings()
{
    static const CQOVDefUiSettings settings;
    return settings;
}

CQOVDefUiSettings::CQOVDefUiSettings()
{
    defaultFont = QFont(ChineseFamily());
    defaultFont.setPixelSize(12);
    boldFont = defaultFont;
    boldFont.setBold(true);
}

QString CQOVDefUiSettings::StyleSheet() const
{
    return QStringLiteral(
               "QWidget { background-color: %1; color: %2; font-family: \"%3\"; font-size: 12px; }"
               "QLineEdit, QTextEdit, QPlainTextEdit, QListWidget, QListView, QComboBox, QDateEdit {"
               " background-color: %4; border: 1px solid %5; border-radius: 3px; padding: 2px; }"
               "QPushButton { background-color: %6; border: 1px solid %5; border-radius: 3px; padding: 4px 10px; }"
               "QPushButton:hover { background-color: %7; }"
               "QPushButton:pressed { background-color: %8; }"
               "QPushButton:disabled, QLabel:disabled { color: %9; }"
               "QListWidget::item:selected, QListView::item:selected { background-color: %10; }")
        .arg(background.name(), text.name(), defaultFont.family(), editBackground.name(), border.name(),
             buttonFace.name(), buttonHover.name(), buttonPressed.name(), disabledText.name())
        .arg(selectedTile.name());
}
