#include "apps/studio/StudioTheme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QStyleFactory>

namespace {

// Preferred because it covers Chinese; without it Qt's font matching picks what it finds.
const QString kChineseFont = QStringLiteral("WenQuanYi Micro Hei");
constexpr int kFontPointSize = 10;

const QColor kWindow(0x2b, 0x2d, 0x31);
const QColor kBase(0x1f, 0x21, 0x24);
const QColor kAlternate(0x33, 0x36, 0x3b);
const QColor kText(0xe6, 0xe6, 0xe6);
const QColor kDimText(0x8a, 0x8f, 0x98);
const QColor kButton(0x3a, 0x3d, 0x43);
const QColor kHighlight(0x2f, 0x7d, 0xe1);

// What the palette cannot say: section titles, the placeholder and the panel's frame.
const char* const kStyleSheet = R"(
QLabel#sectionTitle { color: #9aa4b2; font-weight: bold; padding: 2px 0 4px 0; }
QLabel#placeholder { color: #8a8f98; font-size: 15pt; }
QWidget#toolPanel { background: #1f2124; border: 1px solid #3a3d43; }
QListWidget, QTreeWidget { border: 1px solid #3a3d43; border-radius: 3px; }
QListWidget::item, QTreeWidget::item { padding: 4px 2px; }
QListWidget#toolList { outline: 0; }
QListWidget#toolList::item { padding: 8px 6px; background: transparent; border: none; }
QListWidget#toolList::item:hover { background: #33363b; }
QListWidget#toolList::item:selected { background: #2f7de1; color: white; }
QPushButton { padding: 5px 12px; border: 1px solid #4a4e56; border-radius: 3px; background: #3a3d43; }
QPushButton:hover { background: #454950; }
QPushButton:pressed { background: #2f7de1; }
QSplitter::handle { background: #2b2d31; width: 4px; }
QStatusBar { color: #8a8f98; }
)";

QPalette DarkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, kWindow);
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Base, kBase);
    palette.setColor(QPalette::AlternateBase, kAlternate);
    palette.setColor(QPalette::ToolTipBase, kAlternate);
    palette.setColor(QPalette::ToolTipText, kText);
    palette.setColor(QPalette::PlaceholderText, kDimText);
    palette.setColor(QPalette::Text, kText);
    palette.setColor(QPalette::Button, kButton);
    palette.setColor(QPalette::ButtonText, kText);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, kHighlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, kHighlight);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, kDimText);
    return palette;
}

} // namespace

void StudioTheme::Apply(QApplication& application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(DarkPalette());
    if (QFontDatabase::families().contains(kChineseFont))
        application.setFont(QFont(kChineseFont, kFontPointSize));
    application.setStyleSheet(QString::fromLatin1(kStyleSheet));
}
