#pragma once

#include "apps/cli/TaskWait.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

struct BatchInput;
class BatchJob;
class CommandRun;
class OptionReader;

// Many items of one command as one group of tasks, printed as they go: at most --jobs of them hold
// a place at once, the next starts when a place frees, and each item prints its result (its
// paths, or its object with --json) as soon as it ends. A failed item is named on standard error and the others still run.
// Ctrl-C stops every task under way (each removes what it left unfinished) and starts no more;
// what finished before stays.
class BatchRun
{
public:
    // One item's job, made when its turn comes; item prints its result. Null when the item failed
    // before it had a job (the failure printed by item).
    using Make = std::function<std::unique_ptr<BatchJob>(CommandRun& item, int index)>;

    BatchRun(CommandRun& run, int places, std::chrono::seconds timeout);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Runs an item per subject (how a failure names it: the source, "FILE:LINE"). 0 when every
    // item succeeded, 1 when any failed, 128 + the signal's number when the batch was interrupted.
    int Execute(const QStringList& subjects, const Make& make);

    // A job alone, as a command of one item runs it: its states on the progress line, its end.
    static int One(CommandRun& run, BatchJob& job, std::chrono::seconds timeout);

    // A command of one text: its word as a job alone, or each line of its --from file as an item,
    // whose result names the line and, under textKey when one is given, the line's text.
    using MakeForText = std::function<std::unique_ptr<BatchJob>(CommandRun& run, const QString& text)>;
    static int OverTexts(CommandRun& run, const BatchInput& input, int places, std::chrono::seconds timeout,
                         const QString& textKey, const MakeForText& make);

    // Requests at once when --jobs does not say: a --from file's lines, a subtitle file's captions.
    static constexpr int kRequestPlaces = 4;
    // --jobs N, 1 or more; fallback when it is absent.
    static int Places(OptionReader& options, int fallback);
    // Extractions at once when --jobs does not say: one a core.
    static int CorePlaces();
    // The option names a batch adds to a command.
    static QStringList Names();

private:
    struct Item;

    // How the wait for an item ended: Ctrl-C, its time-out, or its own end.
    TaskWait::Ending Ending(const Item& item, const TaskEnd& end) const;
    void Count(int status);
    void ShowCount();

    CommandRun& m_run;
    const int m_places;
    const std::chrono::seconds m_timeout;
    std::unique_ptr<TaskWait> m_wait;
    std::vector<std::unique_ptr<Item>> m_items;
    int m_total = 0;
    int m_running = 0;
    int m_done = 0;
    int m_failed = 0;
};
