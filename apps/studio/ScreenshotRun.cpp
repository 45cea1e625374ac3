#include "apps/studio/ScreenshotRun.h"

#include "apps/studio/CaptionShots.h"
#include "apps/studio/DubbingShots.h"
#include "apps/studio/ExportShots.h"
#include "apps/studio/PaintingShots.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SampleProject.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/SubtitlesShots.h"
#include "apps/studio/ToolHost.h"
#include "apps/studio/ToolPanel.h"
#include "apps/studio/TranslationShots.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTextEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

const QString kSampleText = QStringLiteral("春天的早晨，阳光洒在湖面上，微风吹过柳梢。");
const QString kSampleMedia = QStringLiteral("示例视频.mp4");
// Time for queued layout and paint requests to run before a picture is taken.
constexpr int kSettleMs = 50;
const QString kSampleTopic = QStringLiteral("为新品发布会写一段开场白");
const QString kStartCaption = QStringLiteral("开始写作");
const QString kHistoryCaption = QStringLiteral("历史记录");
// A generation gets this long (polls of kPollMs) before the picture is taken anyway.
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 300;

} // namespace

ScreenshotRun::ScreenshotRun(StudioWindow& window, const QString& folder)
    : m_window(window)
    , m_folder(folder)
{
}

void ScreenshotRun::Start()
{
    m_folder.mkpath(QStringLiteral("."));
    QTimer::singleShot(kSettleMs, this, &ScreenshotRun::Step);
}

void ScreenshotRun::StartSample()
{
    m_folder.mkpath(QStringLiteral("."));
    connect(&m_window.Sample(), &SampleProject::Finished, this, [this](bool complete, const QString& message) {
        if (!complete) {
            std::fprintf(stderr, "qov-studio: %s\n", qPrintable(message));
            m_succeeded = false;
        }
        // The English text and the video chosen, as a newcomer would before trying a tool.
        const StudioProject& project = m_window.Project();
        if (project.Texts().size() >= 2)
            m_window.View().SelectText(project.Texts()[1].id);
        if (!project.Media().isEmpty())
            m_window.View().SelectMedia({project.Media().front().id});
        QTimer::singleShot(kSettleMs, this, [this] {
            Grab(QStringLiteral("studio-sample.png"));
            Finish();
        });
    });
}

void ScreenshotRun::Step()
{
    const int toolCount = int(m_window.Host().Tools().size());
    if (m_step == 0) {
        Grab(QStringLiteral("studio.png"));
        StudioProject& project = m_window.Project();
        m_window.View().SelectText(project.AddText(kSampleText));
        m_window.View().SelectMedia({project.AddMedia(m_folder.filePath(kSampleMedia))});
    } else {
        Grab(QStringLiteral("studio-%1.png").arg(m_step));
    }
    if (m_step < toolCount) {
        m_window.ChooseTool(m_step);
        ++m_step;
        QTimer::singleShot(kSettleMs, this, &ScreenshotRun::Step);
        return;
    }
    Dub();
}

void ScreenshotRun::Dub()
{
    const int dubbingTool = m_window.Host().IndexOf(ToolId::Dubbing);
    if (dubbingTool < 0) {
        Generate();
        return;
    }
    m_window.ChooseTool(dubbingTool);
    m_dubbing = new DubbingShots(m_window, [this](const QString& name) { Grab(name); },
                                 [this] { QTimer::singleShot(kSettleMs, this, &ScreenshotRun::Paint); });
    m_dubbing->setParent(this);
    QTimer::singleShot(kSettleMs, m_dubbing, &DubbingShots::Start);
}

void ScreenshotRun::Paint()
{
    m_painting = new PaintingShots(m_window, [this](const QString& name) { Grab(name); },
                                   [this] { QTimer::singleShot(kSettleMs, this, &ScreenshotRun::Subtitle); });
    m_painting->setParent(this);
    QTimer::singleShot(kSettleMs, m_painting, &PaintingShots::Start);
}

void ScreenshotRun::Subtitle()
{
    const int subtitlesTool = m_window.Host().IndexOf(ToolId::Subtitles);
    const auto next = [this] {
        m_window.ChooseTool(m_window.Host().IndexOf(ToolId::Copywriting));
        QTimer::singleShot(kSettleMs, this, &ScreenshotRun::Generate);
    };
    if (subtitlesTool < 0) {
        next();
        return;
    }
    m_window.ChooseTool(subtitlesTool);
    // The subtitles made are translated, after the preview and the sentence list have shown them.
    // The video is then exported with its track and both languages' subtitles.
    const auto exporting = [this, next] {
        auto* shots = new ExportShots(
            m_window, [this](const QString& name) { Grab(name); },
            [this](QWidget* widget, const QString& name) { GrabWidget(widget, name); },
            [this, next](bool succeeded) {
                m_succeeded = m_succeeded && succeeded;
                next();
            });
        shots->setParent(this);
        QTimer::singleShot(kSettleMs, shots, &ExportShots::Start);
    };
    const auto translate = [this, exporting] {
        auto* shots = new TranslationShots(m_window, [this](const QString& name) { Grab(name); },
                                           [this, exporting](bool succeeded) {
                                               m_succeeded = m_succeeded && succeeded;
                                               exporting();
                                           });
        shots->setParent(this);
        QTimer::singleShot(kSettleMs, shots, &TranslationShots::Start);
    };
    const auto captions = [this, translate] {
        auto* shots = new CaptionShots(m_window, [this](const QString& name) { Grab(name); }, translate);
        shots->setParent(this);
        QTimer::singleShot(kSettleMs, shots, &CaptionShots::Start);
    };
    m_subtitles = new SubtitlesShots(
        m_window, [this](const QString& name) { Grab(name); },
        [this](QWidget* widget, const QString& name) { GrabWidget(widget, name); }, captions);
    m_subtitles->setParent(this);
    QTimer::singleShot(kSettleMs, m_subtitles, &SubtitlesShots::Start);
}

namespace {

QPushButton* ButtonCaptioned(QWidget* window, const QString& caption)
{
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

} // namespace

void ScreenshotRun::Generate()
{
    QWidget* tool = m_window.Panel().Window();
    const QList<QTextEdit*> edits = tool ? tool->findChildren<QTextEdit*>() : QList<QTextEdit*>();
    QPushButton* start = tool ? ButtonCaptioned(tool, kStartCaption) : nullptr;
    if (edits.size() < 2 || !start) {
        Finish();
        return;
    }
    edits.front()->setPlainText(kSampleTopic);
    start->click();
    QTimer::singleShot(kPollMs, this, &ScreenshotRun::WaitForText);
}

void ScreenshotRun::WaitForText()
{
    QWidget* tool = m_window.Panel().Window();
    const QList<QTextEdit*> edits = tool ? tool->findChildren<QTextEdit*>() : QList<QTextEdit*>();
    QPushButton* start = tool ? ButtonCaptioned(tool, kStartCaption) : nullptr;
    const bool done = edits.size() >= 2 && start && start->isEnabled();
    if (!done && ++m_waits < kMaxPolls) {
        QTimer::singleShot(kPollMs, this, &ScreenshotRun::WaitForText);
        return;
    }
    if (!done || edits.back()->toPlainText().isEmpty()) {
        std::fprintf(stderr, "qov-studio: the copywriting tool produced no text (are the local services running?)\n");
        m_succeeded = false;
    }
    // A message box about a failure would hide nothing here: only the window is drawn.
    Grab(QStringLiteral("studio-generated.png"));
    if (QPushButton* history = tool ? ButtonCaptioned(tool, kHistoryCaption) : nullptr) {
        history->click();
        QTimer::singleShot(kSettleMs * 4, this, &ScreenshotRun::OpenHistory);
        return;
    }
    Finish();
}

void ScreenshotRun::OpenHistory()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QDialog*>(widget)) {
            GrabWidget(widget, QStringLiteral("history.png"));
            widget->hide();
            break;
        }
    }
    Finish();
}

void ScreenshotRun::Finish()
{
    // The pictures' edits were made to be seen, not kept: put away unasked, the files as they were.
    m_window.View().Sentences().Open(QString());
    m_window.close();
    QApplication::exit(m_succeeded ? 0 : 1);
}

void ScreenshotRun::Grab(const QString& name)
{
    GrabWidget(&m_window, name);
}

bool ScreenshotRun::GrabWidget(QWidget* widget, const QString& name)
{
    const QString path = m_folder.filePath(name);
    if (widget->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "qov-studio: cannot write %s\n", qPrintable(path));
        m_succeeded = false;
        return false;
    }
    return true;
}
