#pragma once

#include <QString>

#include <chrono>

// One line on standard error that shows what a command is doing and for how long, redrawn in
// place; nothing at all when standard error is not a terminal, so logs and pipes stay clean.
class ProgressLine
{
public:
    // label begins the line (the command's name); the elapsed time counts from here.
    explicit ProgressLine(const QString& label);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool Enabled() const { return m_enabled; }
    // A task's state in words ("task 42: running"); drawn at once.
    void SetState(const QString& state);
    // Seconds done of total (0: not known). The first and the complete one are drawn at once,
    // the others at most ten times a second.
    void SetAmount(double done, double total);
    // Redraws the elapsed time, at most ten times a second.
    void Tick();
    // Erases the line, before results or messages are printed.
    void Clear();

    // "0:07", "1:02:03".
    static QString Elapsed(std::chrono::steady_clock::duration time);

private:
    QString Render() const;
    void Draw(bool now);

    bool m_enabled;
    QString m_label;
    QString m_state;
    double m_done = -1.0; // below 0: no amount
    double m_total = 0.0;
    int m_turn = 0;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastDraw;
};
