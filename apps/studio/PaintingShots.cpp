#include "apps/studio/PaintingShots.h"

#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolHost.h"
#include "apps/studio/ToolPanel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QString kDescription = QStringLiteral("晨雾中的雪山和湖泊，湖边有一座木屋");
const QString kGenerateCaption = QStringLiteral("开始生成");
const QString kBrowseCaption = QStringLiteral("...");
const QString kGenerated = QStringLiteral("生成成功！");
const QString kHistoryCaption = QStringLiteral("历史记录");
// The history list's geometry: number column, smallest source column, scroll bar, and the row
// height the painting tool sets.
constexpr int kNumberWidth = 30;
constexpr int kMinSourceWidth = 210;
constexpr int kListScrollBar = 15;
constexpr int kHistoryRowHeight = 60;
// The style tile pressed before generating: the second one (oil painting in the shipped library).
constexpr int kStyleTile = 1;
constexpr int kStyleTileWidth = 70;
constexpr int kStyleTileGap = 5;
constexpr int kSettleMs = 50;
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 600;
// The file dialog opens modal: it is answered once it shows.
constexpr int kDialogWaitMs = 300;

// A picture to use as the reference: a red sun over a blue sea.
QImage ReferencePicture()
{
    QImage image(480, 320, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(255, 190, 120));
    sky.setColorAt(1, QColor(250, 120, 80));
    painter.fillRect(0, 0, 480, 200, sky);
    painter.fillRect(0, 200, 480, 120, QColor(40, 80, 150));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 40, 30));
    painter.drawEllipse(QPointF(240, 190), 60, 60);
    painter.fillRect(0, 200, 480, 120, QColor(40, 80, 150, 200));
    return image;
}

} // namespace

PaintingShots::PaintingShots(StudioWindow& window, Grab grab, std::function<void()> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_done(std::move(done))
{
}

QWidget* PaintingShots::Tool() const
{
    return m_window.Panel().Window();
}

QPushButton* PaintingShots::Button(const QString& caption) const
{
    QWidget* tool = Tool();
    for (QPushButton* button : tool ? tool->findChildren<QPushButton*>() : QList<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

QString PaintingShots::Status() const
{
    QWidget* tool = Tool();
    for (QLabel* label : tool ? tool->findChildren<QLabel*>() : QList<QLabel*>()) {
        if (label->alignment() == Qt::AlignCenter && !label->text().isEmpty())
            return label->text();
    }
    return QString();
}

void PaintingShots::Start()
{
    m_window.ChooseTool(m_window.Host().IndexOf(ToolId::Painting));
    if (!Button(kGenerateCaption)) {
        std::fprintf(stderr, "qov-studio: the painting tool shows no window\n");
        m_done();
        return;
    }
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("painting.png"));
        Generate();
    });
}

void PaintingShots::Generate()
{
    const QList<QTextEdit*> edits = Tool()->findChildren<QTextEdit*>();
    if (!edits.isEmpty())
        edits.front()->setPlainText(kDescription);
    if (QWidget* styles = Tool()->findChild<QWidget*>(QStringLiteral("1008"))) {
        const QPointF tile(kStyleTile * (kStyleTileWidth + kStyleTileGap) + kStyleTileWidth / 2.0, 20);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent press(type, tile, styles->mapToGlobal(tile), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(styles, &press);
        }
    }
    Button(kGenerateCaption)->click();
    m_waits = 0;
    WaitForImages();
}

void PaintingShots::WaitForImages()
{
    QPushButton* generate = Button(kGenerateCaption);
    if (generate && !generate->isEnabled() && ++m_waits < kMaxPolls) {
        QTimer::singleShot(kPollMs, this, &PaintingShots::WaitForImages);
        return;
    }
    if (Status() != kGenerated)
        std::fprintf(stderr, "qov-studio: the painting tool made no images (are the local services running?)\n");
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("painting-generated.png"));
        ChooseReference();
    });
}

void PaintingShots::ChooseReference()
{
    m_reference = m_scratch.filePath(QStringLiteral("参考图.png"));
    if (!ReferencePicture().save(m_reference) || !Button(kBrowseCaption)) {
        m_done();
        return;
    }
    // The dialog runs its own loop inside the click; the timer answers it from there.
    m_waits = 0;
    QTimer::singleShot(kDialogWaitMs, this, &PaintingShots::AnswerFileDialog);
    Button(kBrowseCaption)->click();
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("painting-reference.png"));
        HandOver();
    });
}

void PaintingShots::HandOver()
{
    QPushButton* history = Button(kHistoryCaption);
    if (!history) {
        m_done();
        return;
    }
    history->click();
    QTimer::singleShot(kSettleMs * 4, this, [this] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            QWidget* list = dialog && dialog->isVisible() ? dialog->findChild<QWidget*>(QStringLiteral("1001")) : nullptr;
            if (!list)
                continue;
            // The add icon sits in the middle of the first entry's result column.
            const int width = list->width() - kListScrollBar;
            const int source = std::max(kMinSourceWidth, width * 2 / 5 - kNumberWidth);
            const QPointF icon((kNumberWidth + source + width) / 2.0, kHistoryRowHeight / 2.0);
            for (QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, icon, list->mapToGlobal(icon),
                                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(list, &event);
            }
            dialog->hide();
        }
        QTimer::singleShot(kSettleMs * 4, this, [this] {
            m_grab(QStringLiteral("painting-handed.png"));
            m_done();
        });
    });
}

void PaintingShots::AnswerFileDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        auto* name = dialog && dialog->isVisible() ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name) {
            // Typed into the name field and confirmed, as a user would.
            name->setText(m_reference);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(name, &enter);
            return;
        }
    }
    if (++m_waits < kMaxPolls)
        QTimer::singleShot(kPollMs, this, &PaintingShots::AnswerFileDialog);
}
