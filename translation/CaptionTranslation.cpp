#include "translation/CaptionTranslation.h"

#include "mediakit/CaptionText.h"
#include "service/ServiceTask.h"
#include "service/TaskGroup.h"
#include "service/TimeLimit.h"
#include "translation/DialogueTurns.h"
#include "translation/TranslationBatch.h"
#include "translation/TranslationBatchTask.h"
#include "translation/TranslationErrors.h"
#include "translation/TranslationLanguage.h"

#include <algorithm>
#include <cmath>

CaptionTranslation::CaptionTranslation(QObject* parent) : Task(parent) {}

CaptionTranslation::~CaptionTranslation() = default;

int CaptionTranslation::MaxChars(int32_t start, int32_t end, const Settings& settings)
{
    const int lineChars = settings.lineChars > 0 ? settings.lineChars : TranslationLanguage::LineChars(settings.to);
    const double seconds = std::max(0, end - start) / 1000.0;
    const int spoken = int(std::floor(seconds * TranslationLanguage::ReadingSpeed(settings.to)));
    // A caption too short for a single word still needs one.
    return std::clamp(spoken, 1, lineChars * settings.lines);
}

std::vector<std::pair<size_t, size_t>> CaptionTranslation::Batches(const std::vector<TranslationLine>& lines)
{
    std::vector<std::pair<size_t, size_t>> batches;
    size_t first = 0;
    qsizetype chars = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const qsizetype length = lines[i].text.size();
        if (i > first && (i - first == size_t(kBatchLines) || chars + length > kBatchChars)) {
            batches.emplace_back(first, i);
            first = i;
            chars = 0;
        }
        chars += length;
    }
    if (first < lines.size())
        batches.emplace_back(first, lines.size());
    return batches;
}

bool CaptionTranslation::Prepare(const std::vector<Caption>& captions, const Settings& settings, QString& error)
{
    if (m_busy)
        return false;
    m_settings = settings;
    m_results.clear();
    m_lines.clear();
    for (size_t i = 0; i < captions.size(); ++i) {
        const Caption& caption = captions[i];
        Translated translated;
        translated.id = QString::number(caption.index > 0 ? caption.index : int(i) + 1);
        translated.start = caption.start;
        translated.end = caption.end;
        // One line: the layout breaks the translation afresh for its own script.
        const CaptionText pieces(caption.text);
        translated.source = pieces.Line(0, pieces.Count());
        translated.speakers = DialogueTurns::Speakers(caption.text);
        translated.maxChars = MaxChars(caption.start, caption.end, settings);
        if (const auto tighter = settings.maxCharsById.find(translated.id); tighter != settings.maxCharsById.end())
            translated.maxChars = std::clamp(tighter->second, 1, translated.maxChars);
        if (!translated.source.isEmpty())
            m_lines.push_back({translated.id, translated.source, translated.maxChars});
        m_results.push_back(std::move(translated));
    }
    if (m_lines.empty()) {
        error = QStringLiteral("there is no caption with text to translate");
        return false;
    }
    m_batches = Batches(m_lines);
    return true;
}

bool CaptionTranslation::Start()
{
    if (m_busy || m_lines.empty())
        return false;
    m_texts.clear();
    m_askedAgain.clear();
    m_requests = 0;
    m_done = 0;
    m_group = std::make_unique<TaskGroup>();
    m_group->SetPolicy(TaskGroup::Policy::StopOnFailure);
    for (size_t batch = 0; batch < m_batches.size(); ++batch)
        m_group->Add([this, batch] { return MakeBatch(batch); });
    connect(m_group.get(), &TaskGroup::itemEnded, this, &CaptionTranslation::OnBatchEnded);
    connect(m_group.get(), &TaskGroup::ended, this, &CaptionTranslation::OnGroupEnded);
    m_busy = m_group->Start(std::max(1, m_settings.jobs));
    if (m_busy)
        emit progress(0, QStringLiteral("0/%1").arg(m_lines.size()));
    return m_busy;
}

void CaptionTranslation::Stop()
{
    if (m_busy && m_group)
        m_group->Stop();
}

std::unique_ptr<Task> CaptionTranslation::MakeBatch(size_t batch)
{
    const auto [first, last] = m_batches[batch];
    TranslationBatch::Setup setup;
    setup.from = m_settings.from;
    setup.to = m_settings.to;
    setup.glossary = m_settings.glossary;
    setup.lines.assign(m_lines.begin() + long(first), m_lines.begin() + long(last));
    // Made when its turn comes, a batch carries whatever of its neighbours' translations is known.
    for (size_t i = first > size_t(kContextLines) ? first - kContextLines : 0; i < first; ++i) {
        const auto known = m_texts.find(m_lines[i].id);
        setup.context.push_back({m_lines[i].text, known == m_texts.end() ? QString() : known->second});
    }
    auto task = std::make_unique<ServiceTask>(TranslationBatchTask::Make(std::move(setup), m_settings.cacheFolder));
    if (m_settings.batchLimit.count() <= 0)
        return task;
    return std::make_unique<TimeLimit>(std::move(task), m_settings.batchLimit, TranslationErrors::TooSlow());
}

void CaptionTranslation::OnBatchEnded(int batch, const TaskEnd& end)
{
    if (!end.Succeeded())
        return;
    const TranslationBatchTask::Result result = TranslationBatchTask::ResultOf(end);
    for (const auto& [id, text] : result.texts)
        m_texts[id] = text;
    m_requests += result.requests;
    m_askedAgain += result.askedAgain;
    m_done += int(m_batches[size_t(batch)].second - m_batches[size_t(batch)].first);
    emit progress(m_done, QStringLiteral("%1/%2").arg(m_done).arg(m_lines.size()));
}

void CaptionTranslation::OnGroupEnded(const TaskEnd& end)
{
    if (end.Failed()) {
        TaskEnd failed = end;
        if (const int item = m_group->FailedItem(); item >= 0) {
            const auto [first, last] = m_batches[size_t(item)];
            failed.error.text = TranslationErrors::InBatch(m_lines[first].id, m_lines[last - 1].id, end.error.text);
        }
        Finish(failed);
        return;
    }
    if (!end.Succeeded()) {
        Finish(end);
        return;
    }
    for (Translated& caption : m_results) {
        const auto found = m_texts.find(caption.id);
        if (caption.source.isEmpty() || found == m_texts.end())
            continue;
        caption.text = found->second;
        caption.glossaryMisses = TranslationBatch::GlossaryMisses(m_settings.glossary, m_settings.from, m_settings.to,
                                                                  caption.source, caption.text);
        caption.tooLong = TranslationBatch::TooLong(caption.text, caption.maxChars);
    }
    Finish(TaskEnd::Success());
}

void CaptionTranslation::Finish(const TaskEnd& end)
{
    m_busy = false;
    emit ended(end);
}
