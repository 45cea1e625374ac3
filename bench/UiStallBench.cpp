// Drives each tool window through a start and a close mid-task against the local services, every
// reply of which is delayed, while a 5 ms heartbeat on the user-interface thread measures how long
// that thread was held. Run by bench/ui_stall, which starts the services and makes the audio.
//   bench_ui_stall BASE_URL AUDIO_FILE
#include "copywriting/CCopywritingWnd.h"
#include "dubbing/CTxt2AudioWnd.h"
#include "host/CI3Button.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuTabCtrl.h"
#include "painting/CTxt2ImageWnd.h"
#include "subtitles/CAudio2TxtWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// What every reply waits before it is sent.
constexpr int kReplyDelayMs = 2000;
constexpr int kHeartbeatMs = 5;
// How long a task runs before its window is closed: well inside the first delayed reply.
constexpr int kRunMs = 600;

// The longest gap between two heartbeats, and the step it fell in.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Beat(); });
        m_timer.start(kHeartbeatMs);
        m_clock.start();
    }

    void Step(const QString& step)
    {
        Beat();
        m_step = step;
    }
    // Runs the event loop for ms, beating.
    void Run(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        Beat();
    }
    struct Worst
    {
        qint64 ms = 0;
        QString step;
    };
    const std::vector<Worst>& Steps() const { return m_steps; }

private:
    void Beat()
    {
        const qint64 now = m_clock.elapsed();
        const qint64 stall = std::max<qint64>(0, now - m_last - kHeartbeatMs);
        m_last = now;
        if (m_step.isEmpty())
            return;
        auto found = std::find_if(m_steps.begin(), m_steps.end(), [this](const Worst& w) { return w.step == m_step; });
        if (found == m_steps.end())
            m_steps.push_back({stall, m_step});
        else
            found->ms = std::max(found->ms, stall);
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    QString m_step;
    std::vector<Worst> m_steps;
};

void DelayEveryReply(const std::string& base)
{
    httplib::Client control(base);
    const auto health = control.Get("/__control/health");
    if (!health || health->status != 200)
        throw std::runtime_error("the local services do not answer at " + base);
    // The names come as a JSON list of strings: each is taken between its quotes.
    const std::string& body = health->body;
    const size_t list = body.find('[');
    for (size_t at = body.find('"', list); at != std::string::npos && at < body.find(']', list);) {
        const size_t end = body.find('"', at + 1);
        const std::string name = body.substr(at + 1, end - at - 1);
        control.Post(("/__control/faults/" + name).c_str(),
                     R"({"delay_ms":)" + std::to_string(kReplyDelayMs) + R"(,"times":1000000})", "application/json");
        at = body.find('"', end + 1);
    }
}

// A tool: its name and how its window is made inside the panel, filled in for a start.
struct Tool
{
    QString name;
    std::function<QWidget*(QWidget* panel)> open;
};

CI3Button* StartButton(QWidget* window)
{
    for (CI3Button* button : window->findChildren<CI3Button*>()) {
        const QString text = button->text();
        if (text.startsWith(QStringLiteral("开始")))
            return button;
    }
    return nullptr;
}

std::vector<Tool> Tools(const QString& audio)
{
    const QString longText = QString(QStringLiteral("一段需要配音的长文本。")).repeated(60);
    return {
        {QStringLiteral("copywriting"),
         [](QWidget* panel) {
             auto* window = new CCopywritingWnd(0x6004);
             window->Create(panel, QRect(0, 0, 920, 680), 1113);
             window->TopicEdit()->SetWindowTextW(QStringLiteral("新品发布会开场白"));
             return static_cast<QWidget*>(window);
         }},
        {QStringLiteral("dubbing, short text"),
         [](QWidget* panel) {
             auto* window = new CTxt2AudioWnd(0x6002);
             window->Create(panel, QRect(0, 0, 920, 680), 1111);
             window->SetSelectedText(QStringLiteral("欢迎使用智能配音。"), QUuid::createUuid());
             return static_cast<QWidget*>(window);
         }},
        {QStringLiteral("dubbing, long text"),
         [longText](QWidget* panel) {
             auto* window = new CTxt2AudioWnd(0x6002);
             window->Create(panel, QRect(0, 0, 920, 680), 1111);
             window->SetSelectedText(longText, QUuid::createUuid());
             return static_cast<QWidget*>(window);
         }},
        {QStringLiteral("painting"),
         [](QWidget* panel) {
             auto* window = new CTxt2ImageWnd(0x6001);
             window->Create(panel, QRect(0, 0, 920, 680), 1110);
             window->DescriptionEdit()->SetWindowTextW(QStringLiteral("雪山下的湖泊"));
             return static_cast<QWidget*>(window);
         }},
        {QStringLiteral("subtitles, file transcription"),
         [audio](QWidget* panel) {
             auto* window = new CAudio2TxtWnd(0x6003);
             window->Create(panel, QRect(0, 0, 920, 680), 1112);
             window->SetSelection(audio, QUuid::createUuid(), nullptr);
             return static_cast<QWidget*>(window);
         }},
        {QStringLiteral("subtitles, cloud recognition"),
         [audio](QWidget* panel) {
             auto* window = new CAudio2TxtWnd(0x6003);
             window->Create(panel, QRect(0, 0, 920, 680), 1112);
             window->Tabs()->setCurrentIndex(1);
             window->SetSelection(audio, QUuid::createUuid(), nullptr);
             return static_cast<QWidget*>(window);
         }},
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_ui_stall BASE_URL AUDIO_FILE\n");
        return 2;
    }
    QApplication application(argc, argv);
    DelayEveryReply(argv[1]);
    QWidget panel;
    panel.resize(920, 680);
    panel.show();
    Heartbeat heartbeat;
    heartbeat.Run(100);
    for (const Tool& tool : Tools(QString::fromLocal8Bit(argv[2]))) {
        heartbeat.Step(tool.name + QStringLiteral(": open"));
        QWidget* window = tool.open(&panel);
        window->show();
        heartbeat.Run(50);
        heartbeat.Step(tool.name + QStringLiteral(": start"));
        StartButton(window)->click();
        heartbeat.Run(kRunMs);
        heartbeat.Step(tool.name + QStringLiteral(": close mid-task"));
        delete window;
        heartbeat.Run(200);
    }
    heartbeat.Step(QString());
    Heartbeat::Worst worst;
    for (const Heartbeat::Worst& step : heartbeat.Steps()) {
        std::printf("%-45s longest stall %6lld ms\n", step.step.toUtf8().constData(), static_cast<long long>(step.ms));
        if (step.ms >= worst.ms && !step.step.endsWith(QStringLiteral(": open")))
            worst = step;
    }
    std::printf("longest stall of the user-interface thread: %lld ms (%s)\n", static_cast<long long>(worst.ms),
                worst.step.toUtf8().constData());
    return 0;
}
