#include "apps/cli/ProgressLine.h"

#include <algorithm>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kRedrawInterval(100);
constexpr int kBarWidth = 24;
constexpr int kDefaultColumns = 80;
const char kSpinner[] = {'|', '/', '-', '\\'};
// Back to the line's start and erase to its end: the next drawing replaces the last.
const char* const kEraseLine = "\r\x1b[K";

int Columns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

void Put(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

ProgressLine::ProgressLine(const QString& label)
    : m_enabled(isatty(STDERR_FILENO) == 1)
    , m_label(label)
    , m_started(std::chrono::steady_clock::now())
{
}

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::SetState(const QString& state)
{
    m_state = state;
    Draw(true);
}

void ProgressLine::SetAmount(double done, double total)
{
    const bool first = m_done < 0.0;
    m_done = done;
    m_total = total;
    Draw(first || (total > 0.0 && done >= total));
}

void ProgressLine::Tick()
{
    Draw(false);
}

void ProgressLine::Clear()
{
    if (!m_drawn)
        return;
    Put(kEraseLine);
    m_drawn = false;
}

QString ProgressLine::Elapsed(std::chrono::steady_clock::duration time)
{
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(time).count();
    if (seconds >= 3600) {
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ProgressLine::Render() const
{
    QString line = m_label + QStringLiteral("  ");
    if (m_done >= 0.0 && m_total > 0.0) {
        const double fraction = std::min(1.0, m_done / m_total);
        const int filled = int(fraction * kBarWidth);
        line += QStringLiteral("%1% [%2%3] %4 of %5 s")
                    .arg(int(fraction * 100.0), 3)
                    .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
                    .arg(m_done, 0, 'f', 1)
                    .arg(m_total, 0, 'f', 1);
    } else if (m_done >= 0.0) {
        line += QStringLiteral("%1 s").arg(m_done, 0, 'f', 1);
    } else {
        line += QStringLiteral("%1 %2").arg(QLatin1Char(kSpinner[m_turn % int(sizeof kSpinner)])).arg(m_state);
    }
    line += QStringLiteral("  ") + Elapsed(std::chrono::steady_clock::now() - m_started);
    return line;
}

void ProgressLine::Draw(bool now)
{
    if (!m_enabled)
        return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && m_drawn && time - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = time;
    ++m_turn;
    // A line longer than the terminal would wrap, and the next drawing could no longer replace it.
    const QString line = Render().left(Columns() - 1);
    Put(QByteArray(kEraseLine) + line.toUtf8());
    m_drawn = true;
}
