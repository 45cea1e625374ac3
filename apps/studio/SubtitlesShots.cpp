#include "apps/studio/SubtitlesShots.h"

#include "apps/studio/ProjectView.h"
#include "apps/studio/SrtDubbingPanel.h"
#include "apps/studio/StudioProject.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolPanel.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QComboBox>
#include <QTabBar>
#include <QTimer>

#include <cstdio>

namespace {

const QString kEnglishModel = QStringLiteral("英文模型");

const QString kStartCaption = QStringLiteral("开始识别");
const QString kUserCaption = QStringLiteral("语音转写用户");
const QString kGenerating = QStringLiteral("生成中，请稍候...");
const QString kGenerated = QStringLiteral("生成成功！");
constexpr int kSettleMs = 50;
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 600;

} // namespace

SubtitlesShots::SubtitlesShots(StudioWindow& window, Grab grab, GrabWidget grabWidget, std::function<void()> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_grabWidget(std::move(grabWidget))
    , m_done(std::move(done))
{
}

QWidget* SubtitlesShots::Tool() const
{
    return m_window.Panel().Window();
}

QPushButton* SubtitlesShots::Button(const QString& caption) const
{
    QWidget* tool = Tool();
    for (QPushButton* button : tool ? tool->findChildren<QPushButton*>() : QList<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

bool SubtitlesShots::Shows(const QString& text) const
{
    QWidget* tool = Tool();
    for (QLabel* label : tool ? tool->findChildren<QLabel*>() : QList<QLabel*>()) {
        if (label->text() == text)
            return true;
    }
    return false;
}

void SubtitlesShots::SelectTab(int index) const
{
    // As the user's click: the tab strip reports the change to the window.
    if (auto* tabs = Tool() ? Tool()->findChild<QTabBar*>() : nullptr)
        tabs->setCurrentIndex(index);
}

bool SubtitlesShots::Again(void (SubtitlesShots::*step)())
{
    if (++m_waits >= kMaxPolls)
        return false;
    QTimer::singleShot(kPollMs, this, step);
    return true;
}

void SubtitlesShots::Start()
{
    if (!Button(kStartCaption)) {
        std::fprintf(stderr, "qov-studio: the subtitles tool shows no window\n");
        m_done();
        return;
    }
    m_grab(QStringLiteral("subtitles.png"));
    SelectTab(1);
    QTimer::singleShot(kSettleMs, this, &SubtitlesShots::ShowTabB);
}

void SubtitlesShots::ShowTabB()
{
    m_grab(QStringLiteral("subtitles-tab-b.png"));
    SelectTab(0);
    QTimer::singleShot(kSettleMs, this, &SubtitlesShots::OpenAccount);
}

void SubtitlesShots::OpenAccount()
{
    // The dialog runs modally inside the click; the picture is taken from within its loop.
    QTimer::singleShot(kSettleMs * 4, this, &SubtitlesShots::GrabAccount);
    if (QPushButton* user = Button(kUserCaption))
        user->click();
    QTimer::singleShot(kSettleMs, this, &SubtitlesShots::Recognise);
}

void SubtitlesShots::GrabAccount()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal()) {
            m_grabWidget(dialog, QStringLiteral("subtitles-account.png"));
            dialog->reject();
            return;
        }
    }
    std::fprintf(stderr, "qov-studio: the subtitles tool's account dialog did not open\n");
}

void SubtitlesShots::Recognise()
{
    QPushButton* start = Button(kStartCaption);
    if (!start || !start->isEnabled()) {
        std::fprintf(stderr, "qov-studio: the subtitles tool cannot start (is a video with speech selected?)\n");
        m_done();
        return;
    }
    // The sample speaks English: recognised by the cloud engine's English model (tab B), its
    // subtitles are real words, which the translation tool after this turns into Spanish.
    SelectTab(1);
    if (auto* models = Tool() ? Tool()->findChild<QComboBox*>() : nullptr)
        models->setCurrentIndex(models->findText(kEnglishModel));
    start->click();
    m_waits = 0;
    WaitForRunning();
}

void SubtitlesShots::WaitForRunning()
{
    if (!Shows(kGenerating) && !Shows(kGenerated) && Again(&SubtitlesShots::WaitForRunning))
        return;
    m_grab(QStringLiteral("subtitles-running.png"));
    m_waits = 0;
    WaitForResult();
}

void SubtitlesShots::WaitForResult()
{
    if (!Shows(kGenerated) && Again(&SubtitlesShots::WaitForResult))
        return;
    if (!Shows(kGenerated))
        std::fprintf(stderr, "qov-studio: the subtitles tool made no subtitle file (are the local services running?)\n");
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("subtitles-generated.png"));
        SpeakSubtitles();
    });
}

void SubtitlesShots::SpeakSubtitles()
{
    m_binBefore = m_window.Project().Bin().size();
    m_window.View().Dubbing().Button()->click();
    m_waits = 0;
    WaitForTrack();
}

void SubtitlesShots::WaitForTrack()
{
    if (m_window.Project().Bin().size() <= m_binBefore && Again(&SubtitlesShots::WaitForTrack))
        return;
    if (m_window.Project().Bin().size() <= m_binBefore)
        std::fprintf(stderr, "qov-studio: the subtitles were not spoken as a track: %s\n",
                     qPrintable(m_window.View().Dubbing().Status()->text()));
    // The track is the bin's last entry; the picture shows it.
    m_window.View().BinList()->scrollToBottom();
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("subtitles-dubbed.png"));
        m_done();
    });
}
