// qov-studio: the stand-in editor. Loads the module, lists its tools and hosts their windows.
#include "apps/studio/ModuleEntry.h"
#include "apps/studio/ScreenshotRun.h"
#include "apps/studio/StudioTheme.h"
#include "apps/studio/StudioWindow.h"
#include "host/QOVSystem.h"
#include "mediakit/AudioLibraryLog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <optional>

int main(int argc, char** argv)
{
    // The media backend lists its codecs and tries each kind of hardware decoder aloud, and FFmpeg
    // notes what it cannot load: traces for whoever debugs playback, like the module's own, so they
    // wait for QOV_DEBUG_OUTPUT=1. Nothing else here traces through Qt's plain debug stream.
    if (!QOVDebugOutputEnabled())
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\nqt.multimedia*.debug=false"));
    const AudioLibraryLog quiet;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qov-studio"));
    StudioTheme::Apply(application);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in editor that loads the AI tools module."));
    parser.addHelpOption();
    const QCommandLineOption moduleOption(QStringLiteral("module"), QStringLiteral("The module to load."),
                                          QStringLiteral("PATH"), ModuleEntry::DefaultPath());
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QStringLiteral("Save pictures of the window into DIR, then exit."),
        QStringLiteral("DIR"));
    const QCommandLineOption sampleOption(QStringLiteral("sample"),
                                          QStringLiteral("Open the sample project (as 文件 → 打开示例 does)."));
    parser.addOption(moduleOption);
    parser.addOption(screenshotOption);
    parser.addOption(sampleOption);
    parser.process(application);

    const QString modulePath = parser.value(moduleOption);
    const bool screenshots = parser.isSet(screenshotOption);
    QString error;
    std::optional<ModuleEntry> module = ModuleEntry::Load(modulePath, &error);
    if (!module) {
        const QString message = QStringLiteral("无法加载模块 %1：%2").arg(modulePath, error);
        std::fprintf(stderr, "qov-studio: %s\n", qPrintable(message));
        if (!screenshots)
            QMessageBox::critical(nullptr, QStringLiteral("qov-studio"), message);
        return 1;
    }

    StudioWindow window(std::move(*module), modulePath);
    window.show();
    const bool sample = parser.isSet(sampleOption);
    std::unique_ptr<ScreenshotRun> screenshot;
    if (screenshots) {
        screenshot = std::make_unique<ScreenshotRun>(window, parser.value(screenshotOption));
        if (sample)
            screenshot->StartSample();
        else
            screenshot->Start();
    }
    if (sample)
        window.OpenSample();
    return application.exec();
}
