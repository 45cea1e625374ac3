#include "apps/studio/ScreenshotRun.h"

#include "apps/studio/ProjectView.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolHost.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

const QString kSampleText = QStringLiteral("春天的早晨，阳光洒在湖面上，微风吹过柳梢。");
const QString kSampleMedia = QStringLiteral("示例视频.mp4");
// Time for queued layout and paint requests to run before a picture is taken.
constexpr int kSettleMs = 50;

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
    m_window.close();
    QApplication::exit(m_succeeded ? 0 : 1);
}

void ScreenshotRun::Grab(const QString& name)
{
    const QString path = m_folder.filePath(name);
    if (m_window.grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "qov-studio: cannot write %s\n", qPrintable(path));
        m_succeeded = false;
    }
}
