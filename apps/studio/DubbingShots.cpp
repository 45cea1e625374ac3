#include "apps/studio/DubbingShots.h"

#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

const QString kStartCaption = QStringLiteral("开始朗读");
const QString kGenerated = QStringLiteral("生成成功！");
const QString kGenerating = QStringLiteral("生成中，请稍候...");
// Repeated up to kLongText characters, to go to the long-text service as a task (512 and more).
const QString kLongParagraph = QStringLiteral(
    "清晨的江南小镇笼罩在薄雾之中，石板路被夜雨洗得发亮，河边的柳树垂下新绿的枝条。"
    "早起的店家卸下门板，蒸笼里冒出白色的热气，豆浆和油条的香味飘满了整条街道。"
    "乌篷船从拱桥下缓缓划过，船娘轻声哼着古老的歌谣，水面荡开一圈又一圈的涟漪。");
constexpr int kLongText = 600;
constexpr int kSettleMs = 50;
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 600;

} // namespace

DubbingShots::DubbingShots(StudioWindow& window, Grab grab, std::function<void()> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_done(std::move(done))
{
}

QWidget* DubbingShots::Tool() const
{
    return m_window.Panel().Window();
}

QPushButton* DubbingShots::StartButton() const
{
    QWidget* tool = Tool();
    for (QPushButton* button : tool ? tool->findChildren<QPushButton*>() : QList<QPushButton*>()) {
        if (button->text() == kStartCaption)
            return button;
    }
    return nullptr;
}

bool DubbingShots::Shows(const QString& text) const
{
    QWidget* tool = Tool();
    for (QLabel* label : tool ? tool->findChildren<QLabel*>() : QList<QLabel*>()) {
        if (label->text() == text)
            return true;
    }
    return false;
}

bool DubbingShots::Again(void (DubbingShots::*step)())
{
    if (++m_waits >= kMaxPolls)
        return false;
    QTimer::singleShot(kPollMs, this, step);
    return true;
}

void DubbingShots::Start()
{
    QPushButton* start = StartButton();
    if (!start) {
        std::fprintf(stderr, "qov-studio: the dubbing tool shows no window\n");
        m_done();
        return;
    }
    // The pointer rests on the first voice's picture, which shows its play icon.
    if (QWidget* grid = Tool()->findChild<QWidget*>(QStringLiteral("1002"))) {
        QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), grid->mapToGlobal(QPointF(20, 20)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid, &move);
    }
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("dubbing.png"));
        // The pointer moves on to the start button.
        if (QWidget* grid = Tool()->findChild<QWidget*>(QStringLiteral("1002"))) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(grid, &leave);
        }
        Speak();
    });
}

void DubbingShots::Speak()
{
    // The short request runs as a task: the window says so until its audio is there.
    StartButton()->click();
    m_waits = 0;
    WaitForShort();
}

void DubbingShots::WaitForShort()
{
    if (!Shows(kGenerated) && Again(&DubbingShots::WaitForShort))
        return;
    if (!Shows(kGenerated))
        std::fprintf(stderr, "qov-studio: the dubbing tool made no audio (are the local services running?)\n");
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("dubbing-generated.png"));
        StudioProject& project = m_window.Project();
        QString text = kLongParagraph;
        while (text.length() < kLongText)
            text += kLongParagraph;
        m_window.View().SelectText(project.AddText(text));
        StartButton()->click();
        m_waits = 0;
        WaitForTask();
    });
}

void DubbingShots::WaitForTask()
{
    if (!Shows(kGenerating) && Again(&DubbingShots::WaitForTask))
        return;
    m_grab(QStringLiteral("dubbing-long.png"));
    m_waits = 0;
    WaitForResult();
}

void DubbingShots::WaitForResult()
{
    // The task's audio is attached to its text before the tool is closed.
    if (!Shows(kGenerated) && Again(&DubbingShots::WaitForResult))
        return;
    m_done();
}
