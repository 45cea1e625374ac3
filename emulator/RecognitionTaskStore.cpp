#include "RecognitionTaskStore.h"

#include "RandomText.h"

#include <utility>

namespace {

constexpr std::size_t kIdDigits = 24;

}  // namespace

RecognitionTaskStore::RecognitionTaskStore(std::chrono::milliseconds minRunning) : minRunning_(minRunning) {}

std::string RecognitionTaskStore::Add(SpeechRecognizer::Language language)
{
    Task task;
    task.view.language = language;
    task.created = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    std::string id = RandomText::Hex(kIdDigits);
    while (tasks_.count(id) != 0)
        id = RandomText::Hex(kIdDigits);
    tasks_.emplace(id, std::move(task));
    order_.push_back(id);
    for (auto it = order_.begin(); it != order_.end() && tasks_.size() > kMaxTasks;) {
        if (tasks_.at(*it).finished) {
            tasks_.erase(*it);
            it = order_.erase(it);
        } else {
            ++it;
        }
    }
    return id;
}

void RecognitionTaskStore::Succeed(const std::string &id, std::int64_t durationMs,
                                   std::vector<RecognizedSentence> sentences)
{
    View view;
    view.status = Status::Success;
    view.durationMs = durationMs;
    view.sentences = std::move(sentences);
    Finish(id, std::move(view));
}

void RecognitionTaskStore::Fail(const std::string &id, int number, std::string message)
{
    View view;
    view.status = Status::Failure;
    view.errorNumber = number;
    view.errorMessage = std::move(message);
    Finish(id, std::move(view));
}

std::optional<RecognitionTaskStore::View> RecognitionTaskStore::Find(const std::string &id) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return std::nullopt;
    if (!it->second.finished || std::chrono::steady_clock::now() - it->second.created < minRunning_) {
        View running;
        running.language = it->second.view.language;
        return running;
    }
    return it->second.view;
}

void RecognitionTaskStore::Finish(const std::string &id, View view)
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    view.language = it->second.view.language;
    it->second.view = std::move(view);
    it->second.finished = true;
}
