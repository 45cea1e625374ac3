#pragma once

#include "mediakit/Caption.h"
#include "mediakit/CaptionLayout.h"
#include "service/Task.h"
#include "translation/TranslationGlossary.h"
#include "translation/TranslationRequest.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <map>
#include <memory>
#include <vector>

class TaskGroup;

// A subtitle file's captions translated, for the command line and the studio alike: consecutive
// captions go in batches, a few at once, each carrying the captions before it as context and the
// glossary entries its lines need. Progress ("k/n") and the one end arrive as a task's do, and a
// failed or stopped run hands back nothing; the batches that came back stay in the cache for the
// rerun.
class CaptionTranslation : public Task
{
    Q_OBJECT
public:
    static constexpr int kBatchLines = 40;
    static constexpr int kBatchChars = 3000;
    // Captions before a batch that it carries as context.
    static constexpr int kContextLines = 3;

    struct Settings
    {
        QString from;
        QString to;
        TranslationGlossary glossary;
        int lineChars = 0; // characters a line; 0: the target's usual
        int lines = CaptionLayout::kLines;
        int jobs = 4;
        std::chrono::milliseconds batchLimit{0}; // 0: none
        QString cacheFolder; // empty: nothing kept
        // Tighter limits for some captions, by id: a line whose speech did not fit its time.
        std::map<QString, int> maxCharsById;
    };

    // One input caption and what became of it.
    struct Translated
    {
        QString id;
        int32_t start = 0;
        int32_t end = 0;
        QString source; // on one line
        int speakers = 0; // of a dialogue, one line each in the source; 0 when none
        QString text;
        int maxChars = 0;
        QStringList glossaryMisses; // target terms the translation still lacks
        bool tooLong = false;       // still over its limit after being asked for a shorter one
    };

    explicit CaptionTranslation(QObject* parent = nullptr);
    ~CaptionTranslation() override;

    // The characters a caption's translation may take: its time at the target's reading speed, no
    // more than its lines hold.
    static int MaxChars(int32_t start, int32_t end, const Settings& settings);
    // The lines cut into batches of consecutive captions: [first, last) of each.
    static std::vector<std::pair<size_t, size_t>> Batches(const std::vector<TranslationLine>& lines);

    // What the next Start translates. False with error when there is nothing to translate.
    bool Prepare(const std::vector<Caption>& captions, const Settings& settings, QString& error);
    bool Start() override;
    void Stop() override;
    bool Busy() const override { return m_busy; }

    // After a successful end: every input caption, in order.
    const std::vector<Translated>& Results() const { return m_results; }
    int Requests() const { return m_requests; }
    int Retried() const { return int(m_askedAgain.size()); }
    int BatchCount() const { return int(m_batches.size()); }

private:
    std::unique_ptr<Task> MakeBatch(size_t batch);
    void OnBatchEnded(int batch, const TaskEnd& end);
    void OnGroupEnded(const TaskEnd& end);
    void Finish(const TaskEnd& end);

    Settings m_settings;
    std::vector<Translated> m_results;
    std::vector<TranslationLine> m_lines;
    std::vector<std::pair<size_t, size_t>> m_batches;
    std::map<QString, QString> m_texts;
    QStringList m_askedAgain;
    std::unique_ptr<TaskGroup> m_group;
    int m_requests = 0;
    int m_done = 0;
    bool m_busy = false;
};
